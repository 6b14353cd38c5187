// Every caption, label and field text of every window, at every access level,
// fits its box in the program's font: measured with the widget's own font
// against the room its style gives the text. Fields and value labels are also
// measured with the longest text the program can put into them, where the
// program's own formatting tells it. A label's text keeps clear of the
// controls beside it, and no control reaches past the edge of its parent.
#include "every_form.h"

#include "app/main_window_view.h"
#include "link/protocol.h"
#include "params/derived.h"
#include "remote/live_outputs.h"
#include "status/status_text.h"
#include "ui/application.h"
#include "ui/number_fields.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QHeaderView>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <map>

namespace tvx::apptest {
namespace {

// Free pixels between a label's text and the control or label beside it.
constexpr int LabelGap = 2;
// A line edit keeps this much room on each side of its text inside the frame.
constexpr int LineEditMargin = 2;

// The style options Qt fills for painting (initStyleOption is protected).
template <class Widget, class Option>
Option PaintOption(const Widget* widget) {
  struct Open : Widget {
    static void Init(const Widget* w, Option* o) { (w->*(&Open::initStyleOption))(o); }
  };
  Option option;
  Open::Init(widget, &option);
  return option;
}

QString Std(const std::string& text) { return QString::fromStdString(text); }

// The longest texts the program puts into a component, by component name,
// from its own formatting.
std::multimap<QString, QString> LongestTexts() {
  std::multimap<QString, QString> texts;
  const char sep = ui::DecimalSeparator();
  // A reading far out of range still has the digits of a plausible one.
  constexpr double Reading = -88.888;
  for (bool lvdt : {false, true}) {
    for (bool voltage : {false, true}) {
      const status::StatusFlags flags{lvdt, voltage, false, true};
      for (const status::StatusFloat& f : status::StatusFloats)
        texts.emplace(Std(std::string(f.label)), Std(status::StatusValueText(f.format, Reading, flags, sep)));
      for (bool positions3 : {false, true}) {
        const params::SetValueScale scale = params::ScaleFor(voltage, positions3);
        for (int end : {scale.barMin, scale.barMax})
          texts.emplace(QStringLiteral("Set_Val"), Std(status::SetValueText(end / 10.0, sep)));
      }
    }
    for (char coil : {'A', 'B'})
      texts.emplace(QStringLiteral("Coil_%1_Set").arg(coil), Std(status::SetCoilText(Reading, lvdt, sep)));
  }
  for (char coil : {'A', 'B'}) {
    // The peak count is a 12-bit converter reading.
    texts.emplace(QStringLiteral("Coil_%1_Peak").arg(coil), Std(status::PeakText(4095, sep)));
    for (const char* suffix : {"_Imin", "_Imax"})
      texts.emplace(Std(params::CoilFieldName(coil, suffix)), app::FixedText(params::CurrentLimit(4), 3));
  }
  texts.emplace(QStringLiteral("PWM"), QString::number(params::DefaultPwmMax));
  // Every output on at once.
  remote::LiveOutputs on;
  on.Note('S', 1, proto::MarkerTrue, 0);
  on.Note('S', 5, proto::MarkerTrue, 0);
  on.Note('S', 19, 3, 0);
  on.Note('W', 108, 1, 0);
  texts.emplace(QStringLiteral("OutputsOn"), Std(remote::LiveOutputsMarker(on)));
  return texts;
}

class TextFit {
 public:
  explicit TextFit(QString form) : form_(std::move(form)) {}

  void check(const QWidget& form) {
    for (const QWidget* w : form.findChildren<QWidget*>()) {
      if (!w->isVisibleTo(&form)) continue;
      if (const auto* bar = qobject_cast<const QTabBar*>(w)) tabs(*bar);
      if (!Ours(*w)) continue;
      inside(*w);
      if (const auto* b = qobject_cast<const QAbstractButton*>(w)) button(*b);
      else if (const auto* l = qobject_cast<const QLabel*>(w)) label(*l);
      else if (const auto* e = qobject_cast<const QLineEdit*>(w)) field(*e);
      else if (const auto* g = qobject_cast<const QGroupBox*>(w)) group(*g);
      else if (const auto* c = qobject_cast<const QComboBox*>(w)) combo(*c);
      else if (const auto* t = qobject_cast<const QTableWidget*>(w)) table(*t);
    }
  }

  const QStringList& misfits() const { return misfits_; }

 private:
  // The program's own components; Qt's inner parts are named "qt_...".
  static bool Ours(const QWidget& w) {
    return !w.objectName().isEmpty() && !w.objectName().startsWith(QLatin1String("qt_"));
  }

  void report(const QWidget& w, const QString& text, const QString& what) {
    misfits_ << QStringLiteral("%1: %2 (%3) \"%4\" %5")
                    .arg(form_, w.objectName(), QString::fromLatin1(w.metaObject()->className()), text, what);
  }
  void fits(const QWidget& w, const QString& text, QSize need, QSize room) {
    if (need.width() > room.width() || need.height() > room.height())
      report(w, text,
             QStringLiteral("needs %1x%2, has %3x%4")
                 .arg(need.width())
                 .arg(need.height())
                 .arg(room.width())
                 .arg(room.height()));
  }
  static QSize TextSize(const QWidget& w, const QString& text) {
    return QFontMetrics(w.font()).size(Qt::TextShowMnemonic, text);
  }

  // Nothing is cut off by its parent's edge (a component parked wholly
  // outside, out of sight, is not cut).
  void inside(const QWidget& w) {
    const QWidget* parent = w.parentWidget();
    if (parent && !w.isWindow() && parent->rect().intersects(w.geometry()) && !parent->rect().contains(w.geometry()))
      report(w, QString(),
             QStringLiteral("at %1,%2 %3x%4 reaches past its parent %5 (%6x%7)")
                 .arg(w.x())
                 .arg(w.y())
                 .arg(w.width())
                 .arg(w.height())
                 .arg(parent->objectName())
                 .arg(parent->width())
                 .arg(parent->height()));
  }

  void button(const QAbstractButton& b) {
    if (b.text().isEmpty()) return;
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    QStyleOptionButton option;
    if (const auto* push = qobject_cast<const QPushButton*>(&b)) {
      option = PaintOption<QPushButton, QStyleOptionButton>(push);
    } else if (const auto* check = qobject_cast<const QCheckBox*>(&b)) {
      option = PaintOption<QCheckBox, QStyleOptionButton>(check);
      contents = QStyle::SE_CheckBoxContents;
    } else if (const auto* radio = qobject_cast<const QRadioButton*>(&b)) {
      option = PaintOption<QRadioButton, QStyleOptionButton>(radio);
      contents = QStyle::SE_RadioButtonContents;
    } else {
      return;
    }
    fits(b, b.text(), TextSize(b, b.text()), b.style()->subElementRect(contents, &option, &b).size());
  }

  void label(const QLabel& l) {
    if (l.text().isEmpty() || l.textFormat() == Qt::RichText ||
        (l.textFormat() == Qt::AutoText && Qt::mightBeRichText(l.text())))
      return;
    // QLabel's own indent: half an "x" inside a frame, on the side it aligns to.
    QRect room = l.contentsRect();
    int indent = l.indent();
    if (indent < 0 && l.frameWidth())
      indent = QFontMetrics(l.font()).horizontalAdvance(QLatin1Char('x')) / 2 - l.margin();
    if (indent > 0) {
      if (l.alignment() & Qt::AlignLeft) room.setLeft(room.left() + indent);
      if (l.alignment() & Qt::AlignRight) room.setRight(room.right() - indent);
    }
    const QSize need =
        l.wordWrap()
            ? QFontMetrics(l.font()).boundingRect(room, Qt::TextWordWrap | Qt::TextShowMnemonic, l.text()).size()
            : TextSize(l, l.text());
    fits(l, l.text(), need, room.size());
    for (const QString& longest : longest(l)) fits(l, longest, TextSize(l, longest), room.size());

    // The text as drawn, in the parent's coordinates, keeps clear of the
    // controls beside it (a background under the whole label does not count).
    const QRect text =
        QStyle::alignedRect(l.layoutDirection(), l.alignment(), need.boundedTo(room.size()), room).translated(l.pos());
    for (const QObject* o : l.parentWidget()->children()) {
      const auto* sibling = qobject_cast<const QWidget*>(o);
      if (!sibling || sibling == &l || !sibling->isVisibleTo(l.window()) || !Ours(*sibling)) continue;
      if (sibling->geometry().contains(l.geometry())) continue;
      if (text.adjusted(-LabelGap, 0, LabelGap, 0).intersects(sibling->geometry()))
        report(l, l.text(), QStringLiteral("runs into %1").arg(sibling->objectName()));
    }
  }

  void field(const QLineEdit& e) {
    if (e.echoMode() != QLineEdit::Normal) return;
    const QStyleOptionFrame option = PaintOption<QLineEdit, QStyleOptionFrame>(&e);
    const QRect contents = e.style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, &e)
                               .marginsRemoved(e.textMargins())
                               .adjusted(LineEditMargin, 0, -LineEditMargin, 0);
    const QFontMetrics metrics(e.font());
    auto one = [&](const QString& text) {
      fits(e, text, QSize(metrics.horizontalAdvance(text), metrics.height()), contents.size());
    };
    one(e.text());
    for (const QString& longest : longest(e)) one(longest);
  }

  void group(const QGroupBox& g) {
    if (g.title().isEmpty()) return;
    const QStyleOptionGroupBox option = PaintOption<QGroupBox, QStyleOptionGroupBox>(&g);
    const QRect title = g.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &g);
    fits(g, g.title(), QSize(title.right() + 1, title.height()), g.size());
  }

  void combo(const QComboBox& c) {
    const QStyleOptionComboBox option = PaintOption<QComboBox, QStyleOptionComboBox>(&c);
    const QRect edit = c.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &c);
    for (int i = 0; i < c.count(); ++i) fits(c, c.itemText(i), TextSize(c, c.itemText(i)), edit.size());
  }

  // A table's headers fit their sections, and each cell's text, wrapped at
  // its column's width, fits its row.
  void table(const QTableWidget& t) {
    const QFontMetrics metrics(t.font());
    const int headerMargin = t.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &t);
    const int cellMargin = t.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &t) + 1;
    for (int c = 0; c < t.columnCount(); ++c) {
      if (const QTableWidgetItem* header = t.horizontalHeaderItem(c))
        fits(t, header->text(), metrics.size(0, header->text()) + QSize(2 * headerMargin, 0),
             QSize(t.horizontalHeader()->sectionSize(c), t.horizontalHeader()->height()));
      for (int r = 0; r < t.rowCount(); ++r) {
        const QTableWidgetItem* item = t.item(r, c);
        if (!item || item->text().isEmpty()) continue;
        const QRect room(0, 0, t.columnWidth(c) - 2 * cellMargin, t.rowHeight(r));
        fits(t, item->text(), metrics.boundingRect(room, Qt::TextWordWrap, item->text()).size(), room.size());
      }
    }
  }

  void tabs(const QTabBar& bar) {
    const QFontMetrics metrics(bar.font());
    // The tab's frame takes a little of its width.
    const int frame = metrics.horizontalAdvance(QLatin1Char(' '));
    for (int i = 0; i < bar.count(); ++i) {
      if (!bar.isTabVisible(i)) continue;
      const QSize need = metrics.size(Qt::TextShowMnemonic, bar.tabText(i));
      fits(bar, bar.tabText(i), need, bar.tabRect(i).size() - QSize(2 * frame, 0));
    }
  }

  QStringList longest(const QWidget& w) const {
    QStringList texts;
    const auto [first, last] = Longest().equal_range(w.objectName());
    for (auto it = first; it != last; ++it) texts << it->second;
    return texts;
  }
  static const std::multimap<QString, QString>& Longest() {
    static const std::multimap<QString, QString> texts = LongestTexts();
    return texts;
  }

  QString form_;
  QStringList misfits_;
};

class TextFitTest : public ::testing::TestWithParam<int> {};

TEST_P(TextFitTest, EveryTextOfEveryFormFitsItsBox) {
  // The layout is made for the program's font; without it installed every
  // measurement below would be of a stand-in. Liberation Sans has Arial's
  // widths by design (Wine puts it in Arial's place).
  const QString family = QFontInfo(QApplication::font()).family();
  ASSERT_TRUE(family == QString::fromLatin1(ui::ProgramFontFamily) || family == QStringLiteral("Liberation Sans"))
      << "the program's font is not installed (scripts/setup.sh installs it): " << family.toStdString();
  QStringList misfits;
  int forms = 0;
  VisitEveryForm(GetParam(), [&](const QString& name, QWidget& form) {
    ++forms;
    TextFit fit(name);
    fit.check(form);
    misfits << fit.misfits();
  });
  EXPECT_GT(forms, 1);
  misfits.removeDuplicates();
  EXPECT_TRUE(misfits.isEmpty()) << "level " << GetParam() << ":\n" << misfits.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(AccessLevels, TextFitTest, ::testing::Range(0, 5));

}  // namespace
}  // namespace tvx::apptest
