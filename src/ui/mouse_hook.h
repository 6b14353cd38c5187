// Runs an action on mouse events of given kinds that reach a widget, before
// the widget's own handling, which still follows unless the hook takes the
// events for itself. Errors that escape the action are shown as the program's
// error box.
#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

namespace tvx::ui {

void RunGuarded(const std::function<void()>& handler);

class MouseHook : public QObject {
 public:
  // Whether the widget still sees the hooked events after the action.
  enum class Then { PassOn, Take };

  MouseHook(QWidget* watched, std::initializer_list<QEvent::Type> types, std::function<void(QMouseEvent*)> action,
            Then then = Then::PassOn)
      : QObject(watched), types_(types), action_(std::move(action)), then_(then) {
    watched->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (std::find(types_.begin(), types_.end(), event->type()) == types_.end()) return false;
    // A disabled control gets no mouse reaction (Qt still shows its events
    // to filters).
    if (static_cast<QWidget*>(watched)->isEnabled()) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      RunGuarded([&] { action_(mouse); });
    }
    return then_ == Then::Take;
  }

 private:
  std::vector<QEvent::Type> types_;
  std::function<void(QMouseEvent*)> action_;
  Then then_;
};

}  // namespace tvx::ui
