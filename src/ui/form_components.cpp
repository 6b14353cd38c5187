#include "ui/form_components.h"

#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include <stdexcept>

namespace tvx::ui {

void FormComponents::append(QObject* object, const QString& className, std::uint16_t tag) {
  components_.push_back({object, className, object->objectName(), tag});
}

const Component* FormComponents::find(const QString& name) const {
  for (const Component& c : components_) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

QObject* FormComponents::object(const QString& name) const {
  const Component* c = find(name);
  return c ? c->object.data() : nullptr;
}

std::uint16_t FormComponents::tag(const QString& name) const {
  const Component* c = find(name);
  if (!c) throw std::out_of_range("no component " + name.toStdString());
  return c->tag;
}

void FormComponents::setTag(const QString& name, std::uint16_t tag) {
  for (Component& c : components_) {
    if (c.name == name) {
      c.tag = tag;
      return;
    }
  }
  throw std::out_of_range("no component " + name.toStdString());
}

bool FormComponents::stateBit(const QString& name) const { return (tag(name) & access::ModeStateBit) != 0; }

void FormComponents::setStateBit(const QString& name, bool on) {
  const std::uint16_t t = tag(name);
  setTag(name, on ? static_cast<std::uint16_t>(t | access::ModeStateBit)
                  : static_cast<std::uint16_t>(t & ~access::ModeStateBit));
}

void FormComponents::apply(const access::States& states) const {
  for (const Component& c : components_) {
    if (!access::IsManaged(c.tag) || !c.object) continue;
    const bool shown = access::IsShown(c.tag, states);
    const bool usable = access::IsUsable(c.tag, states);
    switch (access::KindOfClass(c.className.toStdString())) {
      case access::ApplyKind::Control:
        if (auto* widget = qobject_cast<QWidget*>(c.object.data())) {
          widget->setVisible(shown);
          widget->setEnabled(usable);
        }
        break;
      case access::ApplyKind::MenuItem:
        if (auto* action = qobject_cast<QAction*>(c.object.data())) {
          action->setVisible(shown);
          action->setEnabled(usable);
        }
        break;
      case access::ApplyKind::Untouched: break;
    }
  }
}

namespace {
std::function<access::States()>& StateSource() {
  static std::function<access::States()> source;
  return source;
}
}  // namespace

void SetAccessStateSource(std::function<access::States()> source) { StateSource() = std::move(source); }

access::States CurrentAccessStates() { return StateSource() ? StateSource()() : access::States{}; }

QString DesignText(const char* utf8) {
  QString text = QString::fromUtf8(utf8);
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

namespace {
template <class W>
W* Named(W* widget, const char* name, const QString& hint) {
  widget->setObjectName(QString::fromLatin1(name));
  if (!hint.isEmpty()) widget->setToolTip(hint);
  return widget;
}
}  // namespace

Label* MakeLabel(FormComponents& form, QWidget* parent, const char* name, int x, int y, const QString& caption,
                 const QString& hint) {
  auto* label = Named(new Label(parent), name, hint);
  label->setText(caption);
  label->adjustSize();
  label->move(x, y);
  label->setProperty(AutoSizeProperty, true);
  return form.add(label, "TLabel");
}

Label* MakeLabel(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                 const QString& hint) {
  auto* label = Named(new Label(parent), name, hint);
  label->setText(caption);
  label->setGeometry(geometry);
  return form.add(label, "TLabel");
}

QPushButton* MakeButton(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                        const QString& caption, const QString& hint) {
  auto* button = Named(new QPushButton(caption, parent), name, hint);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return form.add(button, "TButton");
}

ValveField* MakeEdit(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, int typedLimit,
                     const QString& text, const QString& hint) {
  auto* edit = Named(new ValveField(parent), name, hint);
  edit->setGeometry(geometry);
  edit->setTypedLimit(typedLimit);
  edit->setProgramText(text);
  return form.add(edit, "TEdit");
}

QCheckBox* MakeCheckBox(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                        const QString& caption, const QString& hint) {
  auto* box = Named(new QCheckBox(caption, parent), name, hint);
  box->setGeometry(geometry);
  return form.add(box, "TCheckBox");
}

QGroupBox* MakeGroup(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                     const QString& caption) {
  auto* group = Named(new QGroupBox(caption, parent), name, {});
  group->setGeometry(geometry);
  return form.add(group, "TGroupBox");
}

Panel* MakePanel(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                 const QString& hint) {
  auto* panel = Named(new Panel(parent), name, hint);
  panel->setGeometry(geometry);
  panel->setText(caption);
  return form.add(panel, "TPanel");
}

}  // namespace tvx::ui
