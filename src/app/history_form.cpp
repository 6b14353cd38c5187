#include "app/history_form.h"

#include "ui/application.h"
#include "ui/tab_order.h"
#include "ui/widgets.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableWidget>

namespace tvx::app {

namespace {

// The quiet colour of the fields edited but not sent, for the rows that differ.
const QColor DifferingRow(0xFF, 0xF4, 0xCC);

QTableWidget* MakeTable(QWidget* parent, const char* name, const QRect& geometry, const QStringList& headers) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(QString::fromLatin1(name));
  table->setGeometry(geometry);
  table->setColumnCount(static_cast<int>(headers.size()));
  table->setHorizontalHeaderLabels(headers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setVisible(false);
  table->setWordWrap(true);
  table->setTabKeyNavigation(false);  // Tab goes on to the next control, the arrows move in the table
  table->setTextElideMode(Qt::ElideNone);
  table->horizontalHeader()->setStretchLastSection(true);
  table->horizontalHeader()->setHighlightSections(false);
  return table;
}

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setToolTip(text);
  return item;
}

}  // namespace

THistoryForm::THistoryForm(QWidget* owner, history::HistoryStore& store, QString serialNumber, Window window)
    : QDialog(owner), store_(store), serial_(std::move(serialNumber)), window_(std::move(window)) {
  setObjectName(QStringLiteral("HistoryForm"));
  setWindowTitle(QStringLiteral(" Historia zaworu"));
  setFixedSize(ClientWidth, ClientHeight);

  Label1 = new ui::Label(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setText(QStringLiteral("Zapisy zaworu nr %1 (najnowszy pierwszy):").arg(serial_));
  Label1->move(8, 8);
  Label1->adjustSize();
  Records =
      MakeTable(this, "Records", {8, 28, 664, 170},
                {QStringLiteral("Czas"), QStringLiteral("Kto"), QStringLiteral("Operacja"), QStringLiteral("Zmiany")});
  Records->setColumnWidth(0, 130);
  Records->setColumnWidth(1, 150);
  Records->setColumnWidth(2, 150);

  Label2 = new ui::Label(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setText(QStringLiteral("Wybrany zapis wobec wartości w oknie:"));
  Label2->move(8, 208);
  Label2->adjustSize();
  Compared = MakeTable(this, "Compared", {8, 228, 664, 196},
                       {QStringLiteral("Parametr"), QStringLiteral("W zapisie"), QStringLiteral("W oknie")});
  Compared->setSelectionMode(QAbstractItemView::NoSelection);
  Compared->setColumnWidth(0, 420);
  Compared->setColumnWidth(1, 110);

  Differences = new ui::Label(this);
  Differences->setObjectName(QStringLiteral("Differences"));
  Differences->setGeometry(8, 438, 286, 16);

  auto button = [this](const char* name, int x, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 434, 80, 25);
    b->setToolTip(hint);
    return b;
  };
  RestoreBanks = button("RestoreBanks", 302, QStringLiteral("Przywróć profile"),
                        QStringLiteral(" Zapisz w rozdzielaczu profile użytkownika zachowane w wybranym zapisie "));
  RestoreBanks->setGeometry(302, 434, 106, 25);
  SendRecord =
      button("SendRecord", 416, QStringLiteral("Prześlij"),
             QStringLiteral(" Wyślij wybrany zapis do rozdzielacza bez zapisania go w jego nieulotnej pamięci "));
  StoreRecord = button("StoreRecord", 504, QStringLiteral("Zapisz"),
                       QStringLiteral(" Wyślij wybrany zapis do rozdzielacza i zapisz go w jego nieulotnej pamięci "));
  CloseButton = button("CloseButton", 592, QStringLiteral("Zamknij"), QString());

  connect(Records, &QTableWidget::itemSelectionChanged, this,
          ui::Guarded(this, &THistoryForm::RecordsSelectionChanged));
  connect(SendRecord, &QPushButton::clicked, this, ui::Guarded([this] { RestoreClick(false); }));
  connect(StoreRecord, &QPushButton::clicked, this, ui::Guarded([this] { RestoreClick(true); }));
  connect(RestoreBanks, &QPushButton::clicked, this, ui::Guarded(this, &THistoryForm::RestoreBanksClick));
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
  ui::SetReadingTabOrder(this);
  Refresh(std::nullopt);
}

void THistoryForm::Refresh(std::optional<qint64> id) {
  const auto lines = history::RecordLines(store_.list(serial_));
  {
    const QSignalBlocker blocker(Records);
    Records->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
      const history::RecordLine& line = lines[static_cast<std::size_t>(row)];
      Records->setItem(row, 0, Cell(line.time));
      Records->item(row, 0)->setData(Qt::UserRole, line.id);
      Records->setItem(row, 1, Cell(line.who));
      Records->setItem(row, 2, Cell(line.operation));
      Records->setItem(row, 3, Cell(line.changes));
    }
    Records->resizeRowsToContents();
  }
  int chosenRow = lines.empty() ? -1 : 0;
  for (int row = 0; id && row < static_cast<int>(lines.size()); ++row)
    if (lines[static_cast<std::size_t>(row)].id == *id) chosenRow = row;
  if (chosenRow >= 0) Records->selectRow(chosenRow);
  RecordsSelectionChanged();
}

void THistoryForm::RecordsSelectionChanged() {
  chosen_.reset();
  const auto rows = Records->selectionModel()->selectedRows();
  if (!rows.isEmpty()) {
    const qint64 id = Records->item(rows.first().row(), 0)->data(Qt::UserRole).toLongLong();
    chosen_ = store_.record(id);
  }
  ShowComparison();
}

void THistoryForm::ShowComparison() {
  const bool sendable = chosen_ && history::HoldsSentSet(chosen_->words);
  SendRecord->setEnabled(sendable);
  RestoreBanks->setEnabled(chosen_ && chosen_->banks.has_value());
  StoreRecord->setEnabled(sendable);
  if (!chosen_) {
    Compared->setRowCount(0);
    Differences->setText(Records->rowCount() == 0 ? QStringLiteral("Brak zapisów tego zaworu.") : QString());
    return;
  }
  // An operation that reads no parameter (a profile load or copy) leaves nothing to compare.
  const auto compared =
      chosen_->hasWords() ? window_.compare(chosen_->words) : std::vector<history::ComparedParameter>{};
  Compared->setRowCount(static_cast<int>(compared.size()));
  int differing = 0;
  for (int row = 0; row < static_cast<int>(compared.size()); ++row) {
    const history::ComparedParameter& c = compared[static_cast<std::size_t>(row)];
    Compared->setItem(row, 0, Cell(c.caption));
    Compared->setItem(row, 1, Cell(c.recorded));
    Compared->setItem(row, 2, Cell(c.window));
    if (c.differs) {
      ++differing;
      for (int column = 0; column < 3; ++column) Compared->item(row, column)->setBackground(DifferingRow);
    }
  }
  Compared->resizeRowsToContents();
  if (!sendable) Differences->setText(QStringLiteral("Zapis bez całego zestawu parametrów."));
  else Differences->setText(QStringLiteral("Parametry różne od wartości w oknie: %1").arg(differing));
}

void THistoryForm::RestoreClick(bool store) {
  if (!chosen_ || !history::HoldsSentSet(chosen_->words)) return;
  const history::ValveRecord record = *chosen_;
  window_.restore(record, store);
  Refresh(record.id);
}

void THistoryForm::RestoreBanksClick() {
  if (!chosen_ || !chosen_->banks) return;
  const history::ValveRecord record = *chosen_;
  window_.restoreProfiles(record);
  Refresh(record.id);
}

}  // namespace tvx::app
