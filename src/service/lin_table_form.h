// The linearisation table editor: one table as a grid of eleven points
// (measured and corrected values in percent) and as a chart, with the switch
// that has the valve use the table. Created for each opening; the read and the
// writes are in service/lin_table.h.
#pragma once

#include "service/lin_table.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"

#include <QImage>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tvx::ui {
class Image;
class Label;
}  // namespace tvx::ui

namespace tvx::service {

class TLinTableForm : public ui::CheckedDialog, public LinTableEditor {
  Q_OBJECT
 public:
  explicit TLinTableForm(QWidget* parent = nullptr);
  ~TLinTableForm() override;

  ui::FormComponents& components() { return components_; }

  // Fills the editor, shows it modally and gives the words and the use flag on OK.
  std::optional<LinTableAnswer> Edit(LinTableKind kind, const LinTableWords& words, bool use) override;
  // The parts of Edit, for a caller that shows the editor itself.
  void Fill(LinTableKind kind, const LinTableWords& words, bool use);
  const LinTableAnswer& Answer() const { return answer_; }

  QTableWidget* LinTable = nullptr;
  ui::Image* Chart = nullptr;
  ui::Label* SignalType = nullptr;
  QCheckBox* UseTable = nullptr;
  QPushButton* SendTable = nullptr;
  QPushButton* Cancel = nullptr;

  // A key released in the grid: the measured end points go back to the ends
  // of the range and the chart is drawn again.
  void LinTableKeyUp();
  // Converts the 22 cells; on the first that does not hold a number the error
  // is shown and the editor stays open with that cell in edit, its text
  // selected; otherwise it closes with OK.
  void SendTableClick();
  // Draws the chart from the cells; never asks or reports anything.
  void DrawChart();
  // The picture last drawn.
  const QImage& ChartImage() const { return chart_; }

  // The text of a value cell: column 1 (measured) or 2 (corrected), row 1..11.
  QString CellText(int column, int row) const;
  void SetCellText(int column, int row, const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class CellDelegate;
  view::FieldValue Cell(int column, int row) const;
  // The check of OK: the answer from the cells.
  bool TakeAnswer();
  void ShowFailedCell(int cell);

  LinTableKind kind_ = LinTableKind::SolenoidA;
  LinTableAnswer answer_;
  QImage chart_;
  CellDelegate* delegate_ = nullptr;
  ui::FormComponents components_;
};

}  // namespace tvx::service
