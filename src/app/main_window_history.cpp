// TPgm: the valve history ("Historia", "Kopia zapasowa") and the marking of
// the parameter fields whose text differs from what the valve holds.
#include "app/history_form.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "history/backup.h"
#include "history/recorder.h"
#include "history/window_records.h"
#include "link/change_log.h"
#include "params/register_map.h"
#include "ui/application.h"
#include "ui/prompts.h"

#include <QPushButton>

namespace tvx::app {

namespace {

constexpr const char* HistoryCaption = " Historia zaworu";
constexpr const char* NoValveText =
    " Najpierw odczytaj ustawienia rozdzielacza: historia należy do zaworu \n"
    " o numerze seryjnym, który podaje odczyt. ";

// The window shows a profile load from the history in no dialog of its own.
class NoProfileDialog : public params::ProfileDialog {
 public:
  void CheckBank(int) override {}
  std::optional<int> CheckedProfile() const override { return std::nullopt; }
  void MarkProfiles(std::uint32_t) override {}
  void SetBusy(params::ProfileBusy) override {}
  void Beep() override {}
};

// The recorder and the valve it names, or nothing after telling the user why.
history::HistoryRecorder* RecorderWithValve(QWidget* parent) {
  history::HistoryRecorder* recorder = history::HistoryRecorder::Current();
  if (recorder && !recorder->currentValve().isEmpty()) return recorder;
  ui::CurrentPrompts().message(parent, QString::fromUtf8(NoValveText), QString::fromUtf8(HistoryCaption),
                               ui::Prompts::Icon::Information);
  return nullptr;
}

}  // namespace

void TPgm::ConnectHistoryHandlers() {
  connect(History, &QPushButton::clicked, this, ui::Guarded(this, &TPgm::HistoryClick));
  connect(Backup, &QPushButton::clicked, this, ui::Guarded(this, &TPgm::BackupClick));
  for (ui::ValveField* field : MarkedFields()) field->setMarksEdits(true);
}

std::vector<ui::ValveField*> TPgm::MarkedFields() const {
  std::vector<ui::ValveField*> fields;
  for (const params::ParameterRegister& row : params::ParameterSet) {
    if (row.holder != params::Holder::MainWindow) continue;
    if (auto* field = qobject_cast<ui::ValveField*>(
            components_.object(QString::fromLatin1(row.field.data(), static_cast<qsizetype>(row.field.size())))))
      fields.push_back(field);
  }
  return fields;
}

void TPgm::KeepSentTexts() {
  for (ui::ValveField* field : MarkedFields()) field->keepAsValveText();
}

void TPgm::HistoryClick() {
  if (Exchanging()) return;
  history::HistoryRecorder* recorder = RecorderWithValve(this);
  if (!recorder) return;
  history::HistoryStore& store = recorder->store();
  if (!store.usable()) {
    ui::CurrentPrompts().message(
        this,
        QStringLiteral(" Baza historii jest niedostępna: \n %1 ")
            .arg(history::ShownLocation(store.location().isEmpty() ? history::ConfiguredLocation() : store.location())),
        QString::fromUtf8(HistoryCaption), ui::Prompts::Icon::Warning);
    return;
  }
  THistoryForm::Window window;
  window.compare = [this](const history::SetWordsArray& words) {
    const MainWindowView view(*this);
    return history::CompareWithWindow(words, view, session_.valve.Held);
  };
  window.restore = [this](const history::ValveRecord& record, bool andStore) { RestoreRecord(record, andStore); };
  window.restoreProfiles = [this](const history::ValveRecord& record) {
    if (Exchanging()) return;
    NoProfileDialog dialog;
    history::RestoreProfiles(port_, session_.valve, record, dialog, ui::CurrentPrompts());
  };
  THistoryForm form(this, store, recorder->currentValve(), std::move(window));
  form.exec();
}

void TPgm::RestoreRecord(const history::ValveRecord& record, bool store) {
  if (Exchanging()) return;
  // The fields show the record as edited values until the send has gone out.
  const std::vector<ui::ValveField*> fields = MarkedFields();
  std::vector<std::optional<QString>> valveTexts;
  valveTexts.reserve(fields.size());
  for (ui::ValveField* field : fields) valveTexts.push_back(field->valveText());
  {
    MainWindowView view(*this);
    history::ShowRecordedSet(view, session_.valve, record.words);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->setValveTextOnly(valveTexts[i]);
  link::ChangeLogScope logged(history::RestoreOperation(record.id, store).toStdString());
  logged.CommandsKeepParameters();
  SendWriteParamsClick(store ? WriteParameters : SendParameters);
}

void TPgm::BackupClick() {
  if (Exchanging()) return;
  history::HistoryRecorder* recorder = RecorderWithValve(this);
  if (!recorder) return;
  const std::optional<qint64> id = history::BackUpProfiles(port_, *recorder);
  if (id)
    ui::CurrentPrompts().message(
        this, QStringLiteral(" Profile użytkownika zachowano w historii zaworu (zapis %1). ").arg(*id),
        QString::fromUtf8(HistoryCaption), ui::Prompts::Icon::Information);
}

}  // namespace tvx::app
