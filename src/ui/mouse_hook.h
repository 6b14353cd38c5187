// Runs an action on mouse events of given kinds that reach a widget, before
// the widget's own handling (which still follows). Errors that escape the
// action are shown as the program's error box.
#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

namespace tvx::ui {

void RunGuarded(const std::function<void()>& handler);

class MouseHook : public QObject {
 public:
  MouseHook(QWidget* watched, std::initializer_list<QEvent::Type> types, std::function<void(QMouseEvent*)> action)
      : QObject(watched), types_(types), action_(std::move(action)) {
    watched->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // A disabled control gets no mouse reaction (Qt still shows its events
    // to filters).
    if (!static_cast<QWidget*>(watched)->isEnabled()) return false;
    for (QEvent::Type type : types_) {
      if (event->type() == type) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RunGuarded([&] { action_(mouse); });
        break;
      }
    }
    return false;
  }

 private:
  std::vector<QEvent::Type> types_;
  std::function<void(QMouseEvent*)> action_;
};

}  // namespace tvx::ui
