// A main-window handler's turn at the valve. A handler that exchanges starts
// one (TPgm::StartTurn) and does nothing while another exchange is under way.
// The turn disables the controls that would start another exchange, marks the
// window busy where asked, and where asked gives the focus back at its end to
// the control that had it (Qt passes it on from a control being disabled).
// Its end undoes it all in reverse: at the end of the handler's scope, also
// when the handler fails, or earlier through End().
#pragma once

#include "ui/tab_order.h"

#include <initializer_list>
#include <optional>
#include <vector>

class QWidget;

namespace tvx::app {

class HandlerTurn {
 public:
  enum class Focus { Passes, Kept };

  // Keeps `window`'s focus with Focus::Kept, then disables `disabled` in
  // order, then sets `busy` (when given) for the turn.
  HandlerTurn(QWidget* window, std::initializer_list<QWidget*> disabled, Focus focus = Focus::Passes,
              bool* busy = nullptr);
  ~HandlerTurn();
  HandlerTurn(const HandlerTurn&) = delete;
  HandlerTurn& operator=(const HandlerTurn&) = delete;
  HandlerTurn(HandlerTurn&&) = delete;
  HandlerTurn& operator=(HandlerTurn&&) = delete;

  // Enables the controls again and clears the busy mark now; the focus comes
  // back when the turn ends.
  void End();

 private:
  std::optional<ui::KeepFocus> keepFocus_;
  std::vector<QWidget*> disabled_;
  bool* busy_;
  bool ended_ = false;
};

}  // namespace tvx::app
