// The linearisation table editor against the simulated valve: cells, the
// fixed end points, the chart, typing into the grid, and OK with a cell that
// is no number.
#include "dialog_fixture.h"

#include "params/conversions.h"
#include "service/lin_table_form.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace tvx::apptest {
namespace {

using service::LinTableKind;
using service::TLinTableForm;

class LinTableFormTest : public DialogTest {
 protected:
  // Opens a cell's editor and types into it.
  static void Type(TLinTableForm& form, int column, int row, const QString& keys) {
    form.LinTable->setCurrentCell(row, column);
    form.LinTable->editItem(form.LinTable->item(row, column));
    auto* editor = form.LinTable->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, keys);
  }
  static bool RedAt(const TLinTableForm& form, int x, int y) {
    return form.ChartImage().pixelColor(x, y) == QColor(Qt::red);
  }
};

TEST_F(LinTableFormTest, EditingTheLvdtTableSendsTypedValuesAndTheWordsOfUntouchedCells) {
  valve_.model().setParameterFloat(74 + 11 + 6, 33.333332f);  // corrected value of point 6
  bool ran = false;
  WhileModal<TLinTableForm>(
      [](TLinTableForm& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(" Tabela linearyzacji czujnika LVDT"));
        EXPECT_EQ(form.SignalType->text(), QString::fromUtf8("Sygnał LVDT"));
        EXPECT_EQ(form.CellText(1, 1), QStringLiteral("-100,000"));
        EXPECT_EQ(form.CellText(2, 7), QStringLiteral("33,330"));
        EXPECT_EQ(form.LinTable->currentItem(), nullptr);
        EXPECT_TRUE(RedAt(form, 175, 150));  // point 5 at (0 %, 0 %)

        form.SetCellText(1, 11, QStringLiteral("7"));
        Type(form, 2, 4, QStringLiteral("x12.5"));  // corrected value of point 3
        EXPECT_EQ(form.CellText(2, 4), QStringLiteral("12,5"));
        EXPECT_EQ(form.CellText(1, 11), QStringLiteral("100,000"));  // fixed after every key
        QTest::mouseClick(form.UseTable, Qt::LeftButton);
        QTest::mouseClick(form.SendTable, Qt::LeftButton);
      },
      &ran);
  bool use = false;
  TLinTableForm form;
  service::EditLinTable(port(), LinTableKind::Lvdt, use, form);
  EXPECT_TRUE(ran);
  const auto r = valve_.requests();
  ASSERT_EQ(r.size(), 23u);
  EXPECT_EQ(r[0], "G037");
  EXPECT_EQ(r[1], "W074=C2C80000");   // -100
  EXPECT_EQ(r[11], "W084=42C80000");  // 100
  EXPECT_EQ(r[15], "W088=41480000");  // 12.5
  EXPECT_EQ(r[18], "W091=42055555");  // 33.333332, not 33.33
  EXPECT_TRUE(use);
}

TEST_F(LinTableFormTest, ACellThatIsNoNumberKeepsTheEditorOpenAndDrawingNeverAsks) {
  bool ran = false;
  WhileModal<TLinTableForm>(
      [this](TLinTableForm& form) {
        // Table A, corrected value of point 3: no number (a key's release redraws).
        form.SetCellText(2, 4, QStringLiteral("x"));
        QTest::keyRelease(form.LinTable, Qt::Key_Shift);
        EXPECT_TRUE(RedAt(form, 100, 225));   // point 2 at (20 %, 20 %)
        EXPECT_FALSE(RedAt(form, 125, 200));  // the curve stops before point 3
        EXPECT_TRUE(prompts_->messages().empty());
        form.SetCellText(1, 6, QStringLiteral("1,2,3"));
        QTest::mouseClick(form.SendTable, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(MessageTexts(), std::vector<QString>{QStringLiteral("'1,2,3' is not a valid floating point value.")});
        // That cell is in edit, its text selected.
        EXPECT_EQ(form.LinTable->currentRow(), 6);
        EXPECT_EQ(form.LinTable->currentColumn(), 1);
        auto* editor = qobject_cast<QLineEdit*>(form.focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->selectedText(), QStringLiteral("1,2,3"));
        QTest::mouseClick(form.Cancel, Qt::LeftButton);
      },
      &ran);
  bool use = true;
  TLinTableForm form;
  service::EditLinTable(port(), LinTableKind::SolenoidA, use, form);
  EXPECT_TRUE(ran);
  EXPECT_EQ(valve_.requests(), Requests({"G035"}));
  EXPECT_TRUE(use);
}

}  // namespace
}  // namespace tvx::apptest
