// The program's edit field: a kept valve word, the typed limit that never cuts
// the program's text, the numeric key filters with their passing keys, and
// pastes and drops filtered like typing.
#include "ui/valve_field.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>

namespace tvx::ui {
namespace {

TEST(ValveField, KeepsTheWordWhileItsTextIsTheProgramsOwn) {
  ValveField field;
  field.setTypedLimit(4);
  field.setValveText(QStringLiteral("1,234568E008"), 0x4CEB79A3u);
  EXPECT_EQ(field.text(), QStringLiteral("1,234568E008"));  // not cut to the typed limit
  EXPECT_EQ(field.keptWord(), 0x4CEB79A3u);
  EXPECT_EQ(field.value().keptWord, 0x4CEB79A3u);

  field.setValveText(QStringLiteral("0.123"), 0x3DFCB924u);
  field.setText(QStringLiteral("0,123"));  // a check turning "." into "," is no edit
  EXPECT_EQ(field.keptWord(), 0x3DFCB924u);
  field.setText(QStringLiteral("0,124"));
  EXPECT_EQ(field.keptWord(), std::nullopt);
  EXPECT_EQ(field.value().text, "0,124");
  field.setText(QStringLiteral("0.123"));  // back to what was read
  EXPECT_EQ(field.keptWord(), 0x3DFCB924u);
  field.setProgramText(QStringLiteral("0.123"));
  EXPECT_EQ(field.keptWord(), std::nullopt);
}

// A window with two fields, so that Tab has somewhere to go.
struct TwoFields {
  QWidget window;
  ValveField* first = new ValveField(&window);
  ValveField* second = new ValveField(&window);
  TwoFields() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    first->setFocus();
    QApplication::setActiveWindow(&window);
  }
};

TEST(ValveField, KeyFiltersDropCharactersAndPassNavigationAndEditingKeys) {
  struct Case {
    std::optional<NumericKeys> keys;
    int limit;
    const char* typed;
    const char* result;
  };
  const Case cases[] = {
      {NumericKeys::Unsigned, 0, "1a.-5 e", "1,5"}, {NumericKeys::Signed, 0, "-1x.5", "-1,5"},
      {NumericKeys::Unsigned, 3, "12.5", "12,"},  // the "," of a "." counts like a typed one
      {NumericKeys::Unsigned, 3, "1234", "123"},    {std::nullopt, 8, "Abc.-123456", "Abc.-123"},
  };
  for (const Case& c : cases) {
    TwoFields w;
    if (c.keys) w.first->setNumericKeys(*c.keys);
    w.first->setTypedLimit(c.limit);
    QTest::keyClicks(w.first, QString::fromLatin1(c.typed));
    EXPECT_EQ(w.first->text(), QString::fromLatin1(c.result)) << c.typed;
  }

  TwoFields w;
  w.first->setNumericKeys(NumericKeys::Unsigned);
  w.first->setTypedLimit(3);
  w.first->setProgramText(QStringLiteral("12345"));  // beyond the limit: it can still be shortened
  QTest::keyClick(w.first, Qt::Key_6);
  EXPECT_EQ(w.first->text(), QStringLiteral("12345"));
  w.first->setCursorPosition(0);
  QTest::keyClick(w.first, Qt::Key_Delete);
  QTest::keyClick(w.first, Qt::Key_Right);
  QTest::keyClick(w.first, Qt::Key_Delete);
  QTest::keyClick(w.first, Qt::Key_End);
  QTest::keyClick(w.first, Qt::Key_Backspace);
  EXPECT_EQ(w.first->text(), QStringLiteral("24"));
  QTest::keyClick(w.first, Qt::Key_9);
  QTest::keyClick(w.first, Qt::Key_8);
  EXPECT_EQ(w.first->text(), QStringLiteral("249"));
  QTest::keyClick(w.first, Qt::Key_Tab);
  EXPECT_TRUE(w.second->hasFocus());
  QTest::keyClick(w.second, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(w.first->hasFocus());
  QTest::keyClick(w.first, Qt::Key_A, Qt::ControlModifier);  // the field's own shortcuts still work
  EXPECT_EQ(w.first->selectedText(), QStringLiteral("249"));
}

// Alt, Meta or AltGr with a character types it into a line edit when no
// accelerator takes the key: the filter and the typed limit hold whatever the
// modifiers, and the accelerators still work.
TEST(ValveField, ModifiersGetNoCharacterPastTheFilterOrTheLimit) {
  struct Case {
    std::optional<NumericKeys> keys;
    const char* start;
    char typed;
    Qt::KeyboardModifiers modifiers;
    const char* result;
  };
  const Case cases[] = {
      {NumericKeys::Unsigned, "2000", 'h', Qt::AltModifier, "2000"},
      {NumericKeys::Unsigned, "2000", 'q', Qt::AltModifier | Qt::ShiftModifier, "2000"},
      {NumericKeys::Unsigned, "2000", 'l', Qt::AltModifier | Qt::ControlModifier, "2000"},  // AltGr
      {NumericKeys::Unsigned, "2000", 'x', Qt::MetaModifier, "2000"},
      {NumericKeys::Unsigned, "2000", '5', Qt::AltModifier, "20005"},
      {NumericKeys::Unsigned, "2000", '.', Qt::AltModifier, "2000,"},
      {std::nullopt, "2000", 'a', Qt::AltModifier, "2000a"},
      {std::nullopt, "20000", 'a', Qt::AltModifier, "20000"},  // the typed limit of 5
  };
  for (const Case& c : cases) {
    TwoFields w;
    if (c.keys) w.first->setNumericKeys(*c.keys);
    w.first->setTypedLimit(5);
    w.first->setProgramText(QString::fromLatin1(c.start));
    QTest::keyClick(w.first, Qt::Key_End);
    QTest::keyClick(w.first, c.typed, c.modifiers);
    EXPECT_EQ(w.first->text(), QString::fromLatin1(c.result)) << c.typed << " " << c.modifiers.toInt();
  }
  // A shortcut of the window still takes its Alt+letter from a numeric field.
  TwoFields w;
  w.first->setNumericKeys(NumericKeys::Unsigned);
  auto* go = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_G), &w.window);
  int clicks = 0;
  QObject::connect(go, &QShortcut::activated, [&] { ++clicks; });
  w.first->setFocus();
  QTest::keyClick(w.first, 'g', Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(w.first->text().isEmpty());
}

TEST(ValveField, PastesAndDropsAreFilteredAndCutToTheLimit) {
  TwoFields w;
  ValveField* field = w.first;
  field->setNumericKeys(NumericKeys::Unsigned);
  field->setTypedLimit(6);
  QApplication::clipboard()->setText(QStringLiteral("-1.5abc\n2"));

  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), QStringLiteral("1,52"));
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(field->text(), QStringLiteral("1,52"));  // the selection gave way
  QTest::keyClick(field, Qt::Key_End);
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), QStringLiteral("1,521,"));  // cut to the limit

  // The context menu's paste.
  field->clear();
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), field->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(field, &menuEvent);
  auto* menu = field->findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QAction* paste = nullptr;
  for (QAction* a : menu->actions())
    if (a->text().startsWith(QLineEdit::tr("&Paste"))) paste = a;
  ASSERT_NE(paste, nullptr);
  paste->trigger();
  menu->close();
  EXPECT_EQ(field->text(), QStringLiteral("1,52"));

  // A drop from elsewhere.
  field->clear();
  QMimeData dropped;
  dropped.setText(QStringLiteral("x7.25y9"));
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(field)->event(&drop);  // the application routes drops only during a drag
  EXPECT_EQ(field->text(), QStringLiteral("7,259"));
  dropped.setText(QStringLiteral("abc"));
  QDropEvent nothing(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(field)->event(&nothing);
  EXPECT_EQ(field->text(), QStringLiteral("7,259"));
}

}  // namespace
}  // namespace tvx::ui
