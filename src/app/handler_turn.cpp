#include "app/handler_turn.h"

#include <QWidget>

namespace tvx::app {

HandlerTurn::HandlerTurn(QWidget* window, std::initializer_list<QWidget*> disabled, Focus focus, bool* busy)
    : disabled_(disabled), busy_(busy) {
  if (focus == Focus::Kept) keepFocus_.emplace(window);
  for (QWidget* w : disabled_) w->setEnabled(false);
  if (busy_) *busy_ = true;
}

HandlerTurn::~HandlerTurn() { End(); }

void HandlerTurn::End() {
  if (ended_) return;
  ended_ = true;
  for (QWidget* w : disabled_) w->setEnabled(true);
  if (busy_) *busy_ = false;
}

}  // namespace tvx::app
