// The service and remote dialogs against a simulated valve, without the main
// window: the link open to the valve, scripted prompts, a comma locale, and a
// way to act in a modal dialog once it is shown.
#pragma once

#include "params_fixture.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace tvx::apptest {

class ServiceDialogTest : public ::testing::Test {
 protected:
  explicit ServiceDialogTest(sim::ValveConfig config = {}) : valve_(std::move(config)), session_(valve_.comNumber()) {}
  void SetUp() override {
    ASSERT_TRUE(session_.open());
    valve_.clearRequests();
  }

  // Runs `act` on the dialog of type T as soon as it is shown modally (after
  // the reads of its opening); gives up after a few seconds.
  template <class T>
  void WhenShown(std::function<void(T&)> act) {
    auto* timer = new QTimer(&parent_);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, started] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) {
        if (started->elapsed() > 10000) timer->stop();
        return;
      }
      timer->stop();
      timer->deleteLater();
      act(*dialog);
    });
    timer->start(5);
  }

  Requests requests() const { return valve_.requests(); }
  std::vector<QString> MessageTexts() const {
    std::vector<QString> out;
    for (const auto& m : prompts_->messages()) out.push_back(m.text);
    return out;
  }

  ScopedLocale locale_{QLocale(QLocale::Polish, QLocale::Poland)};
  testing::SimulatedValve valve_;
  link::LinkSession session_;
  ui::ScopedScriptedPrompts prompts_;
  QWidget parent_;
};

}  // namespace tvx::apptest
