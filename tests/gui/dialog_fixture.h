// Shared pieces of the GUI tests of the dialogs without the main window: a
// simulated valve with the link open, scripted prompts, a locale with a
// decimal comma, and helpers that act on a modal dialog once it is shown.
#pragma once

#include "params/valve_state.h"
#include "params_fixture.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

namespace tvx::apptest {

// Runs `act` on the modal dialog of type D as soon as it is shown (the
// exchanges before it process events too); fails the test when none is shown
// within ten seconds.
template <class D>
void WhenShown(const std::function<void(D&)>& act, bool* ran = nullptr) {
  auto* poll = new QTimer;
  auto deadline = std::make_shared<int>(1000);  // polls of 10 ms
  QObject::connect(poll, &QTimer::timeout, [poll, act, ran, deadline] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
      if (--*deadline == 0) {
        ADD_FAILURE() << "no modal dialog of the expected kind";
        poll->deleteLater();
        poll->stop();
      }
      return;
    }
    poll->stop();
    poll->deleteLater();
    if (ran) *ran = true;
    act(*dialog);
  });
  poll->start(10);
}

// As WhenShown, where `during` ends by closing the dialog.
template <class D>
void WhileModal(const std::function<void(D&)>& during, bool* ran = nullptr) {
  WhenShown<D>(
      [during](D& dialog) {
        during(dialog);
        if (dialog.isVisible()) {
          ADD_FAILURE() << "the dialog is still open";
          dialog.done(QDialog::Rejected);
        }
      },
      ran);
}

class DialogTest : public ::testing::Test {
 protected:
  explicit DialogTest(sim::ValveConfig config = {}) : valve_(std::move(config)), session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    valve_.clearRequests();
  }

  std::vector<QString> MessageTexts() const {
    std::vector<QString> out;
    for (const auto& m : prompts_->messages()) out.push_back(m.text);
    return out;
  }

  ScopedLocale locale_{QLocale(QLocale::Polish, QLocale::Poland)};
  testing::SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  // What the sequences keep about this test's valve.
  params::ValveState valveState_;
  testing::ScopedScriptedPrompts prompts_;
};

}  // namespace tvx::apptest
