// The valve history in the window: a day's changes seen and undone the next
// day against a restarted simulator with its state file, the dialog's level
// gate, and the marking of fields edited but not sent.
#include "dialog_fixture.h"

#include "app/history_form.h"
#include "history/recorder.h"
#include "link/change_log.h"
#include "params/register_map.h"

#include <QTableWidget>

namespace tvx::apptest {
namespace {

// A valve that keeps its EEPROM in the test's state file, as valve-sim does.
class AppHistory : testing::StateFileFolder, public ParamsTest {
 protected:
  AppHistory() : ParamsTest(StateFileValve()) {}
  void Close() {
    ParamsTest::TearDown();
    options_.reset();
    pgm_.reset();
  }
  void TearDown() override { Close(); }
  // The rows of the dialog's record list: operation and changes.
  static std::vector<std::pair<QString, QString>> Listed(app::THistoryForm& form) {
    std::vector<std::pair<QString, QString>> rows;
    rows.reserve(static_cast<std::size_t>(form.Records->rowCount()));
    for (int r = 0; r < form.Records->rowCount(); ++r)
      rows.emplace_back(form.Records->item(r, 2)->text(), form.Records->item(r, 3)->text());
    return rows;
  }

  const testing::ScopedEnvironment database_{history::HistoryVariable,
                                             (stateFolder.path() / "history.sqlite").string()};
  QStringList warnings_;
  history::HistoryRecorder recorder_{[this](const QString& text) { warnings_ << text; }};
};

TEST_F(AppHistory, YesterdaysChangesAreSeenAndTheEarlierSetStoredAgainAfterARestart) {
  // Day one: read, change two values, store, disconnect.
  const std::uint32_t pwm = valve_.model().parameter(params::reg::PWM);
  const std::uint32_t imin = valve_.model().parameter(params::reg::Coil_A_Imin);
  OpenAndRead(2);
  const QString pwmBefore = pgm_->PWM->text();
  pgm_->PWM->setText(QString::number(pwm == 1500 ? 1600 : 1500));
  pgm_->Coil_A_Imin->setText(QStringLiteral("0,123"));
  pgm_->WriteParameters->click();
  ASSERT_NE(valve_.model().parameter(params::reg::PWM), pwm);
  Close();

  // Day two: the simulator starts again from its state file.
  valve_.restart();
  ASSERT_NE(valve_.model().parameter(params::reg::PWM), pwm) << "the store did not reach the state file";
  OpenAndRead(2);
  valve_.clearRequests();
  bool shown = false;
  WhileModal<app::THistoryForm>(
      [&](app::THistoryForm& form) {
        const auto rows = Listed(form);
        // Newest first: today's read, yesterday's store with both changes, yesterday's read.
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[1].first, QStringLiteral("Zapisz"));
        EXPECT_TRUE(rows[1].second.contains(QStringLiteral("Częstotliwość PWM (PWM) [Hz] %1 -> ").arg(pwm)))
            << rows[1].second.toStdString();
        EXPECT_TRUE(rows[1].second.contains(QStringLiteral("Elektromagnes A: Prąd minimalny Imin [A]")));
        EXPECT_EQ(rows[2].first, QStringLiteral("Odczytaj"));
        form.Records->selectRow(2);
        int differing = 0;
        for (int r = 0; r < form.Compared->rowCount(); ++r)
          differing += form.Compared->item(r, 0)->background().style() != Qt::NoBrush;
        EXPECT_EQ(differing, 2);
        ASSERT_TRUE(form.StoreRecord->isEnabled());
        form.StoreRecord->click();
        form.CloseButton->click();
      },
      &shown);
  pgm_->HistoryClick();
  ASSERT_TRUE(shown);

  // The window's own send: configuration word written and read back, the set, then the store.
  const auto requests = valve_.requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front().substr(0, 4), "W001");
  EXPECT_EQ(requests.back().substr(0, 4), "S999");
  EXPECT_EQ(valve_.model().parameter(params::reg::PWM), pwm);
  EXPECT_EQ(valve_.model().parameter(params::reg::Coil_A_Imin), imin);
  EXPECT_EQ(pgm_->PWM->text(), pwmBefore);
  EXPECT_FALSE(pgm_->PWM->isMarked());
  const auto latest = recorder_.store().list(QString::fromStdString(valve_.model().serialNumber()), 1);
  ASSERT_EQ(latest.size(), 1u);
  EXPECT_EQ(latest[0].operation, QStringLiteral("Przywróć zapis 1 (Zapisz)"));
  EXPECT_TRUE(warnings_.isEmpty()) << warnings_.join('\n').toStdString();
}

TEST_F(AppHistory, ProfilesOfABackupAreWrittenBackOnlyAfterTheUserSaysYes) {
  OpenAndRead(2);
  prompts_->queueAnswer(ui::Prompts::Answer::Ok);
  pgm_->Backup->click();
  std::array<sim::Bank, 3> kept{};
  std::array<std::uint32_t, 129> words{};
  for (int r = 1; r <= 128; ++r) words[static_cast<std::size_t>(r)] = valve_.model().parameter(r);
  for (int bank = 0; bank < 3; ++bank) {  // a later change of every bank
    kept[static_cast<std::size_t>(bank)] = valve_.model().userBank(bank);
    words[params::reg::PWM] = 1234u + static_cast<std::uint32_t>(bank);
    valve_.model().setUserBank(bank, sim::ValveModel::imageOf(words));
  }
  valve_.clearRequests();
  prompts_->clear();
  bool shown = false;
  WhileModal<app::THistoryForm>(
      [&](app::THistoryForm& form) {
        ASSERT_EQ(Listed(form).front().first, QStringLiteral("Kopia zapasowa (profile)"));
        ASSERT_TRUE(form.RestoreBanks->isEnabled());
        prompts_->queueAnswer(ui::Prompts::Answer::No);
        form.RestoreBanks->click();
        EXPECT_TRUE(valve_.requests().empty());
        prompts_->queueAnswer(ui::Prompts::Answer::Yes);
        form.RestoreBanks->click();
        // The load is the newest record: banks, no parameter set to compare or send.
        form.Records->selectRow(0);
        EXPECT_TRUE(Listed(form).front().first.startsWith(QStringLiteral("Pobierz profile użytkownika")));
        EXPECT_EQ(form.Compared->rowCount(), 0);
        EXPECT_FALSE(form.StoreRecord->isEnabled());
        EXPECT_TRUE(form.RestoreBanks->isEnabled());
        form.CloseButton->click();
      },
      &shown);
  pgm_->HistoryClick();
  ASSERT_TRUE(shown);

  const auto asked = prompts_->messages();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[0].text.contains(QStringLiteral("Zastąpić profile użytkownika")));
  EXPECT_EQ(asked[0].buttons, ui::Prompts::Buttons::YesNoDefaultNo);
  // The file-load sequence: the active bank read, then per bank its begin, 128 words and store.
  const auto requests = valve_.requests();
  EXPECT_EQ(requests.size(), 3u * (1 + 128 + 1) + 1);
  const auto sent = [&](int command) {
    const std::string start = "S" + std::to_string(command) + "=";
    return std::count_if(requests.begin(), requests.end(), [&](const std::string& r) { return r.starts_with(start); });
  };
  EXPECT_EQ(sent(params::cmd::ProfileWord), 3 * 128);
  EXPECT_EQ(sent(params::cmd::StoreProfileBank), 3);
  for (int bank = 0; bank < 3; ++bank) EXPECT_EQ(valve_.model().userBank(bank), kept[static_cast<std::size_t>(bank)]);
  EXPECT_TRUE(warnings_.isEmpty()) << warnings_.join('\n').toStdString();
}

TEST_F(AppHistory, OfferedFromLevelTwoForTheValveReadAndEditedFieldsAreMarkedUntilSent) {
  OpenAndRead(1);
  EXPECT_FALSE(Shown(pgm_->History));
  EXPECT_FALSE(Shown(pgm_->Backup));
  OpenAndRead(2);
  EXPECT_TRUE(Shown(pgm_->History) && pgm_->History->isEnabled());
  EXPECT_TRUE(Shown(pgm_->Backup) && pgm_->Backup->isEnabled());

  // Marked while it differs from the valve's text, with the hint saying so.
  const QString read = pgm_->PWM->text();
  EXPECT_FALSE(pgm_->PWM->isMarked());
  pgm_->PWM->setText(read + QStringLiteral("0"));
  EXPECT_TRUE(pgm_->PWM->isMarked());
  EXPECT_EQ(pgm_->PWM->palette().color(QPalette::Base), ui::ValveField::MarkColour());
  pgm_->PWM->setText(read);
  EXPECT_FALSE(pgm_->PWM->isMarked());
  pgm_->Coil_A_Imin->setText(QStringLiteral("0,2"));
  EXPECT_TRUE(pgm_->Coil_A_Imin->isMarked());
  pgm_->SendParameters->click();
  EXPECT_FALSE(pgm_->Coil_A_Imin->isMarked());

  // The backup reads the three banks and writes nothing.
  valve_.clearRequests();
  prompts_->queueAnswer(ui::Prompts::Answer::Ok);
  pgm_->Backup->click();
  const auto requests = valve_.requests();
  EXPECT_EQ(requests.size(), 3u);
  for (const std::string& r : requests) EXPECT_EQ(r.substr(0, 4), "S" + std::to_string(proto::ProfileBankCommand)) << r;
  const auto latest = recorder_.store().list(QString::fromStdString(valve_.model().serialNumber()), 1);
  ASSERT_EQ(latest.size(), 1u);
  EXPECT_EQ(latest[0].operation, QStringLiteral("Kopia zapasowa"));
  EXPECT_TRUE(latest[0].hasBanks);
  const auto record = recorder_.store().record(latest[0].id);
  ASSERT_TRUE(record && record->banks);

  // After connecting again the valve is not known until it is read: no dialog, a word why.
  ClickDisConnect(*pgm_);
  ClickDisConnect(*pgm_);
  ASSERT_TRUE(pgm_->port().PortOpen.load());
  pgm_->HistoryClick();
  ASSERT_FALSE(prompts_->messages().empty());
  EXPECT_TRUE(prompts_->messages().back().text.contains(QStringLiteral("Najpierw odczytaj")));
}

}  // namespace
}  // namespace tvx::apptest
