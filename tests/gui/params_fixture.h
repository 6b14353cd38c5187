// Shared pieces of the parameter-set GUI tests: the main window and the options
// dialog at a chosen access level, connected to a simulated valve, in a locale
// with a decimal comma.
#pragma once

#include "app_main_window_fixture.h"

#include "link/protocol.h"
#include "service/options_form.h"
#include "sim/frame_server.h"
#include "ui/number_fields.h"

#include <QLocale>
#include <QSignalSpy>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tvx::apptest {

using Requests = std::vector<std::string>;

// Forces a locale for the life of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const QLocale& locale) : old_(QLocale()) { QLocale::setDefault(locale); }
  ~ScopedLocale() { QLocale::setDefault(old_); }

 private:
  QLocale old_;
};

// Answers the next request that starts with `match` with a framed reply
// carrying `value` instead of the valve's own answer.
class ReplaceReply {
 public:
  ReplaceReply(testing::ValveServer& server, const std::string& match, std::uint32_t value) {
    server.injectFault(sim::Fault{sim::FaultKind::Drop, 0, match, 1});
    const std::size_t before = server.requestCount();
    thread_ = std::thread([&server, match, value, before] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      for (std::size_t seen = before; std::chrono::steady_clock::now() < deadline;) {
        if (!server.waitForRequests(seen + 1, std::chrono::milliseconds(50))) continue;
        const auto texts = server.requestTexts();
        for (; seen < texts.size(); ++seen) {
          if (texts[seen].rfind(match, 0) == 0) {
            server.sendRaw(sim::FrameServer::framed(match[0], std::stoi(match.substr(1, 3)), value));
            return;
          }
        }
      }
    });
  }
  ~ReplaceReply() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

class ParamsTest : public ::testing::Test {
 protected:
  explicit ParamsTest(sim::ValveConfig config = {}) : valve_(std::move(config)) {}

  // The main window and the options dialog (created right after it, as the
  // program does), connected to the valve.
  void Open(int level) {
    // One main window at a time: it owns the link's Receiver thread.
    options_.reset();
    pgm_.reset();
    pgm_ = MainWindowAt(level);
    options_ = std::make_unique<service::TOptionsForm>(pgm_->port(), pgm_.get());
    ClickDisConnect(*pgm_);
    ASSERT_TRUE(pgm_->port().PortOpen.load());
  }
  void OpenAndRead(int level) {
    Open(level);
    Read();
  }
  void Read() { pgm_->ReadParameters->click(); }
  void Activate() {
    pgm_->show();
    pgm_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pgm_.get()));
  }

  // Requests since the last clear, with the values of 'W' and 'S' requests cut off.
  Requests RequestNames() const {
    Requests out;
    for (const std::string& r : valve_.requests()) out.push_back(r.substr(0, 4));
    return out;
  }
  std::vector<QString> MessageTexts() const {
    std::vector<QString> out;
    for (const auto& m : prompts_->messages()) out.push_back(m.text);
    return out;
  }
  bool Sent(const std::string& request) const {
    const auto r = valve_.requests();
    return std::find(r.begin(), r.end(), request) != r.end();
  }

  void TearDown() override {
    if (pgm_ && pgm_->port().PortOpen.load()) ClickDisConnect(*pgm_);
  }

  ScopedLocale locale_{QLocale(QLocale::Polish, QLocale::Poland)};
  IsolatedSysfs sysfs_;
  testing::SimulatedValve valve_;
  testing::ScopedScriptedPrompts prompts_;
  std::unique_ptr<app::TPgm> pgm_;
  std::unique_ptr<service::TOptionsForm> options_;
};

}  // namespace tvx::apptest
