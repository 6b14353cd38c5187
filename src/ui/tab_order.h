// The keyboard order of a form: Tab walks its fields and buttons in reading
// order, worked out from where they stand, so that no form needs a list of its
// own and a moved control finds its place by itself.
#pragma once

#include <QPointer>
#include <QWidget>

namespace tvx::ui {

// Orders the Tab chain of `form` (a window) in reading order. The controls are
// read block by block: a group box, panel or tab page is read as a whole where
// it stands; within a block, what a horizontal gap separates is read top to
// bottom and what a vertical gap separates left to right (so side-by-side
// groups are read as columns and a row of fields from left to right). A
// control that lies outside the window's client area gets no Tab stop.
// Hidden and disabled controls keep their place and Qt passes over them.
// Called where a form is built, once its controls stand where they belong.
void SetReadingTabOrder(QWidget* form);

}  // namespace tvx::ui

namespace tvx::ui {

// Gives the focus back, at the end of a scope, to the control that had it at
// its start, where Qt passed it on because the control was disabled meanwhile
// (a handler disabling its buttons while it works): Qt hands it to the next
// control in the chain, which may be one a stray key must not press. Focus
// that something else has moved meanwhile stays where it was put.
class KeepFocus : public QObject {
 public:
  explicit KeepFocus(QWidget* window);
  ~KeepFocus() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> had_;
  QPointer<QWidget> passedTo_;
};

}  // namespace tvx::ui
