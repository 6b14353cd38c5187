// Shared pieces of the status display tests: a main window connected to the
// simulated valve, a comma locale, and helpers for float registers and the
// request log.
#pragma once

#include "app_main_window_fixture.h"

#include "link/protocol.h"
#include "ui/widgets.h"

#include <QLocale>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tvx::apptest {

using Requests = std::vector<std::string>;

inline std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The requests from the first one starting with `first` on.
inline Requests From(const Requests& all, const std::string& first) {
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].rfind(first, 0) == 0) return Requests(all.begin() + static_cast<std::ptrdiff_t>(i), all.end());
  return {};
}

inline std::size_t Count(const Requests& all, const std::string& text) {
  std::size_t n = 0;
  for (const std::string& r : all) n += r == text;
  return n;
}

class StatusTest : public ::testing::Test {
 protected:
  explicit StatusTest(int level = 2) : level_(level) {}

  void SetUp() override {
    saved_ = QLocale();
    // The regional setting the tool is made for: "1,500".
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    pgm_ = MainWindowAt(level_);
    ClickDisConnect(*pgm_);
    ASSERT_TRUE(pgm_->port().PortOpen.load());
    // The simulated valve's modes, as a parameter read would set them.
    pgm_->SetThreePositions(true);
    pgm_->SetVoltageInput(true);
    pgm_->SetLvdtFitted(true);
    pgm_->ApplyAccessRules();
    valve_.clearRequests();
    prompts_->clear();
  }

  void TearDown() override {
    if (pgm_ && pgm_->port().PortOpen.load()) ClickDisConnect(*pgm_);
    pgm_.reset();
    QLocale::setDefault(saved_);
  }

  // Holds a float state register at a value.
  void Float(int reg, float value) { valve_.model().overrideState(reg, Bits(value)); }

  void Refresh() { QTest::mouseClick(pgm_->InfoRefresh, Qt::LeftButton); }

  auto& model() { return valve_.model(); }

  IsolatedSysfs sysfs_;
  testing::SimulatedValve valve_;
  testing::ScopedScriptedPrompts prompts_;
  std::unique_ptr<app::TPgm> pgm_;

 private:
  int level_;
  QLocale saved_;
};

}  // namespace tvx::apptest
