#include "service/lin_table_form.h"

#include "ui/application.h"
#include "ui/checked_dialog.h"
#include "ui/number_fields.h"
#include "ui/numeric_key_filter.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace tvx::service {

using ui::DesignText;

namespace {

constexpr const char* DesignCaption = "  Tabela linearyzacji";
constexpr const char* SendTableHint =
    " Wyślij tabelę linearyzacji do rozdzielacza, \r bez zapisania jej do jego nieulotnej pamięci ";

// Colours given as 0x00BBGGRR: pale yellows.
const QColor CellColour(0xFF, 0xFF, 0xE8);
const QColor FixedColour(0xFF, 0xFF, 0xF4);
const QColor Silver(0xC0, 0xC0, 0xC0);

constexpr int Rows = Points + 1;
constexpr int RowHeight = 22;
constexpr int ColumnWidths[] = {50, 80, 80};
constexpr int GridWidth = 213;

// The word a cell was filled from and the text the program put there.
constexpr int WordRole = Qt::UserRole;
constexpr int ShownRole = Qt::UserRole + 1;

QString FixedCellText(int row) {
  if (row == 0) return QStringLiteral(" Punkt");
  return QStringLiteral("%1").arg(row - 1, 4);
}

}  // namespace

// The grid's cell editor: the numeric key filter with "-", and every change
// goes into the cell at once, so the chart follows the typing.
class TLinTableForm::CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(TLinTableForm* form) : QStyledItemDelegate(form), form_(form) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    auto* editor = new ui::ValveField(parent);
    editor->setFrame(false);
    ui::InstallNumericKeyFilter(editor, ui::NumericKeys::Signed);
    editor->installEventFilter(form_);
    auto* self = const_cast<CellDelegate*>(this);
    connect(editor, &QLineEdit::textEdited, self, [self, editor] { emit self->commitData(editor); });
    editing_ = editor;
    editingIndex_ = index;
    return editor;
  }
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (editor == editing_) editing_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }
  // The open editor of a cell, if any.
  QLineEdit* EditorOf(int row, int column) const {
    if (!editing_ || editingIndex_.row() != row || editingIndex_.column() != column) return nullptr;
    return editing_;
  }

 private:
  TLinTableForm* form_;
  mutable QPointer<QLineEdit> editing_;
  mutable QPersistentModelIndex editingIndex_;
};

TLinTableForm::TLinTableForm(QWidget* parent) : CheckedDialog(parent) {
  setObjectName(QStringLiteral("LinTableForm"));
  setWindowTitle(DesignText(DesignCaption));
  setFixedSize(574, 370);
  auto& f = components_;

  Chart = new ui::Image(this);
  Chart->setObjectName(QStringLiteral("Chart"));
  Chart->setGeometry(8, 8, ChartSize, ChartSize);
  f.add(Chart, "TImage");

  SignalType = ui::MakeLabel(f, this, "SignalType", 346, 10, QString());

  LinTable = new QTableWidget(Rows, 3, this);
  LinTable->setObjectName(QStringLiteral("LinTable"));
  f.add(LinTable, "TStringGrid");
  LinTable->horizontalHeader()->hide();
  LinTable->verticalHeader()->hide();
  LinTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LinTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LinTable->setSelectionMode(QAbstractItemView::SingleSelection);
  LinTable->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  LinTable->setTabKeyNavigation(true);
  for (int c = 0; c < 3; ++c) LinTable->setColumnWidth(c, ColumnWidths[c]);
  for (int r = 0; r < Rows; ++r) LinTable->setRowHeight(r, RowHeight);
  QPalette p = LinTable->palette();
  p.setColor(QPalette::Base, CellColour);
  LinTable->setPalette(p);
  const int frame = 2 * LinTable->frameWidth();
  LinTable->setGeometry(346, 28, GridWidth, Rows * RowHeight + frame);
  for (int r = 0; r < Rows; ++r) {
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem;
      if (r == 0 || c == 0) {
        // Fixed cells: not editable, skipped by Tab.
        item->setFlags(Qt::NoItemFlags);
        item->setBackground(FixedColour);
        item->setForeground(QApplication::palette().color(QPalette::WindowText));
      }
      LinTable->setItem(r, c, item);
    }
    LinTable->item(r, 0)->setText(FixedCellText(r));
  }
  LinTable->item(0, 1)->setText(QStringLiteral(" Pomiar [%]"));
  LinTable->item(0, 2)->setText(QStringLiteral(" Korekta [%]"));
  delegate_ = new CellDelegate(this);
  LinTable->setItemDelegate(delegate_);
  LinTable->installEventFilter(this);

  UseTable = ui::MakeCheckBox(f, this, "UseTable", {346, 28 + Rows * RowHeight + frame + 6, 220, 19},
                              QStringLiteral("linearyzuj pomiary zgodnie z tabelą"));
  SendTable = ui::MakeButton(f, this, "SendTable", {376, 333, 86, 27}, DesignText("  OK "), DesignText(SendTableHint));
  Cancel = ui::MakeButton(f, this, "Cancel", {472, 333, 86, 27}, DesignText(" Anuluj "));
  setOkCheck([this] { return TakeAnswer(); });
  connect(SendTable, &QPushButton::clicked, this, &TLinTableForm::SendTableClick);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  ui::SetReadingTabOrder(this);
}

TLinTableForm::~TLinTableForm() = default;

QString TLinTableForm::CellText(int column, int row) const { return LinTable->item(row, column)->text(); }

void TLinTableForm::SetCellText(int column, int row, const QString& text) {
  LinTable->item(row, column)->setText(text);
  if (QLineEdit* editor = delegate_->EditorOf(row, column)) editor->setText(text);
}

void TLinTableForm::Fill(LinTableKind kind, const LinTableWords& words, bool use) {
  kind_ = kind;
  const LinTableInfo& info = InfoOf(kind);
  SignalType->setText(QString::fromUtf8(info.signalType));
  SignalType->adjustSize();
  for (int k = 0; k < TableValues; ++k) {
    QTableWidgetItem* item = LinTable->item(1 + k % Points, 1 + k / Points);
    const QString text = QString::fromStdString(service::CellText(words[k], ui::DecimalSeparator()));
    item->setText(text);
    item->setData(WordRole, words[k]);
    item->setData(ShownRole, text);
  }
  setWindowTitle(QString::fromUtf8(info.caption));
  UseTable->setChecked(use);
  LinTable->setCurrentItem(nullptr);
  LinTable->clearSelection();
}

std::optional<LinTableAnswer> TLinTableForm::Edit(LinTableKind kind, const LinTableWords& words, bool use) {
  Fill(kind, words, use);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return answer_;
}

view::FieldValue TLinTableForm::Cell(int column, int row) const {
  const QTableWidgetItem* item = LinTable->item(row, column);
  const QString text = item->text();
  const QVariant word = item->data(WordRole);
  const bool unchanged = word.isValid() && text == item->data(ShownRole).toString();
  return {text.toStdString(), unchanged ? std::optional<std::uint32_t>(word.toUInt()) : std::nullopt};
}

void TLinTableForm::SendTableClick() { accept(); }

bool TLinTableForm::TakeAnswer() {
  std::array<view::FieldValue, TableValues> cells;
  for (int k = 0; k < TableValues; ++k) cells[k] = Cell(1 + k / Points, 1 + k % Points);
  // All or nothing: a cell that is no number leaves the editor open.
  answer_.words = CellWords(cells, [this](int k) { ShowFailedCell(k); });
  answer_.use = UseTable->isChecked();
  return true;
}

void TLinTableForm::ShowFailedCell(int k) {
  const int row = 1 + k % Points;
  const int column = 1 + k / Points;
  LinTable->setCurrentCell(row, column);
  LinTable->editItem(LinTable->item(row, column));
  ui::FocusFailedField(delegate_->EditorOf(row, column));
}

void TLinTableForm::LinTableKeyUp() {
  SetCellText(1, 1, QString::fromStdString(FirstMeasuredText(kind_)));
  SetCellText(1, Points, QString::fromLatin1(LastMeasuredText));
  DrawChart();
}

bool TLinTableForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == LinTable) {
    // A key that the cell editor's filter would drop does not start editing.
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool types = !text.isEmpty() && text.at(0).isPrint() &&
                       !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (types && ui::NumericalFieldText(text, ui::NumericKeys::Signed).isEmpty()) return true;
  }
  if (event->type() == QEvent::KeyRelease && (watched == LinTable || qobject_cast<QLineEdit*>(watched)))
    LinTableKeyUp();
  return QDialog::eventFilter(watched, event);
}

void TLinTableForm::changeEvent(QEvent* event) {
  CheckedDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) DrawChart();
}

void TLinTableForm::showEvent(QShowEvent* event) {
  CheckedDialog::showEvent(event);
  DrawChart();
}

void TLinTableForm::DrawChart() {
  QImage image(ChartSize, ChartSize, QImage::Format_RGB32);
  image.fill(CellColour);
  QPainter painter(&image);
  painter.setPen(QPen(Qt::black, 1));

  QFont title(QStringLiteral("Arial"), 8, QFont::Bold);
  painter.setFont(title);
  const QFontMetrics tm(title);
  painter.drawText(QPoint(110, 302 + tm.ascent()), QString::fromUtf8("Wartość zmierzona [%]"));
  painter.save();
  painter.translate(5, 215);
  painter.rotate(-90);
  painter.drawText(QPoint(0, tm.ascent()), QString::fromUtf8("Wartość po korekcie [%]"));
  painter.restore();

  painter.drawLine(50, 25, 50, 275);
  painter.drawLine(50, 275, 301, 275);

  QFont scale(QStringLiteral("Arial"), 7);
  painter.setFont(scale);
  const QFontMetrics sm(scale);
  for (int i = 0; i <= 10; ++i) {
    const QString label = QString::number(ScaleValue(kind_, i));
    const int w = sm.horizontalAdvance(label);
    painter.drawText(QPoint(45 - w, 20 + 25 * i + sm.ascent()), label);
    painter.drawText(QPoint(300 - 25 * i - w / 2, 280 + sm.ascent()), label);
  }

  painter.setPen(QPen(Silver, 1));
  for (int i = 0; i <= 9; ++i) {
    painter.drawLine(51, 25 + 25 * i, 301, 25 + 25 * i);
    painter.drawLine(75 + 25 * i, 25, 75 + 25 * i, 275);
  }

  std::array<std::string, TableValues> cells;
  for (int k = 0; k < TableValues; ++k) cells[k] = CellText(1 + k / Points, 1 + k % Points).toStdString();
  painter.setPen(QPen(Qt::red, 2));
  QPoint from(50, 275);
  for (const ChartPoint& p : ChartCurve(kind_, cells)) {
    const QPoint to(p.x, p.y);
    painter.drawLine(from, to);
    painter.fillRect(QRect(p.x - 2, p.y - 2, 5, 5), Qt::red);
    from = to;
  }
  painter.end();
  chart_ = image;
  Chart->setPixmap(QPixmap::fromImage(chart_));
}

}  // namespace tvx::service
