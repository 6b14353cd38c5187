// A form's managed components in creation order, each with its class name (in
// the classic form-designer style: "TLabel", "TEdit", ...), its component name
// and its 16-bit access tag. The access routine and the developers' component
// listing walk this list.
#pragma once

#include "ui/access_rules.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tvx::ui {

class Label;
class Panel;
class ValveField;

struct Component {
  QPointer<QObject> object;
  QString className;
  QString name;
  std::uint16_t tag = 0;
};

class FormComponents {
 public:
  // Appends `object` (named by its objectName) with its class and tag.
  template <class T>
  T* add(T* object, const char* className, std::uint16_t tag = 0) {
    append(object, QString::fromLatin1(className), tag);
    return object;
  }
  void append(QObject* object, const QString& className, std::uint16_t tag);

  const std::vector<Component>& components() const { return components_; }
  const Component* find(const QString& name) const;
  QObject* object(const QString& name) const;

  // Tags by component name; setTag throws std::out_of_range for an unknown name.
  std::uint16_t tag(const QString& name) const;
  void setTag(const QString& name, std::uint16_t tag);

  // Bit 6 of a tag, the configuration labels' own state.
  bool stateBit(const QString& name) const;
  void setStateBit(const QString& name, bool on);

  // The apply step: visibility and usability of every managed control and menu
  // item from its tag and the states; other kinds are not touched.
  void apply(const access::States& states) const;

 private:
  std::vector<Component> components_;
};

// Where the access states come from: the main window installs its own (access
// level, port, configuration labels, remote control); other managed windows
// read them from here.
void SetAccessStateSource(std::function<access::States()> source);
access::States CurrentAccessStates();

// Set on a label made at a point: it sizes itself to a caption the logic gives it.
inline constexpr const char* AutoSizeProperty = "autoSize";

// Creation helpers: make the widget, name it, place it, give it its caption and
// hint, and append it to the form's list (tag 0; tags are assigned afterwards).
Label* MakeLabel(FormComponents& form, QWidget* parent, const char* name, int x, int y, const QString& caption,
                 const QString& hint = {});
// A label of fixed size (values that change at run time).
Label* MakeLabel(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                 const QString& hint = {});
QPushButton* MakeButton(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                        const QString& caption, const QString& hint = {});
// `typedLimit` caps what a person types (0: no cap); `text` is the program's.
ValveField* MakeEdit(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, int typedLimit,
                     const QString& text, const QString& hint = {});
QCheckBox* MakeCheckBox(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                        const QString& caption, const QString& hint = {});
QGroupBox* MakeGroup(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                     const QString& caption);
Panel* MakePanel(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                 const QString& hint = {});

// Converts a designer hint or caption: a "\r" line break becomes "\n".
QString DesignText(const char* utf8);

}  // namespace tvx::ui
