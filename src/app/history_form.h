// "Historia": the connected valve's records, newest first, each with what it
// changed; the chosen record against the values in the window now, parameter
// by parameter. "Prześlij" and "Zapisz" hand the chosen record to the main
// window, which sends it through its own send sequence; "Przywróć profile"
// writes a record's profile banks back. Created per opening,
// shown modally; the logic lives in history/window_records.
#pragma once

#include "history/history_store.h"
#include "history/window_records.h"

#include <QDialog>

#include <functional>
#include <optional>

class QPushButton;
class QTableWidget;

namespace tvx::ui {
class Label;
}  // namespace tvx::ui

namespace tvx::app {

class THistoryForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 680;
  static constexpr int ClientHeight = 470;

  // What the dialog asks of the main window.
  struct Window {
    // The record's words against the window's values now.
    std::function<std::vector<history::ComparedParameter>(const history::SetWordsArray&)> compare;
    // Sends (store: and stores) the record's words through the window's send.
    std::function<void(const history::ValveRecord& record, bool store)> restore;
    // Writes the record's three profile banks back into the valve.
    std::function<void(const history::ValveRecord& record)> restoreProfiles;
  };

  THistoryForm(QWidget* owner, history::HistoryStore& store, QString serialNumber, Window window);

  ui::Label* Label1 = nullptr;          // "Zapisy zaworu nr ..."
  QTableWidget* Records = nullptr;      // time, who, operation, changes
  ui::Label* Label2 = nullptr;          // "Wybrany zapis wobec wartości w oknie"
  QTableWidget* Compared = nullptr;     // parameter, in the record, in the window
  ui::Label* Differences = nullptr;     // how many differ, or why the record cannot be sent
  QPushButton* RestoreBanks = nullptr;  // "Przywróć profile"
  QPushButton* SendRecord = nullptr;    // "Prześlij"
  QPushButton* StoreRecord = nullptr;   // "Zapisz"
  QPushButton* CloseButton = nullptr;   // "Zamknij"

  // The record chosen in the list, as loaded.
  const std::optional<history::ValveRecord>& chosen() const { return chosen_; }
  // Fills the list again (after a restore added a record) and chooses `id`.
  void Refresh(std::optional<qint64> id);
  void RecordsSelectionChanged();
  void RestoreClick(bool store);
  void RestoreBanksClick();

 private:
  void ShowComparison();

  history::HistoryStore& store_;
  QString serial_;
  Window window_;
  std::optional<history::ValveRecord> chosen_;
};

}  // namespace tvx::app
