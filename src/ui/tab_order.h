// The keyboard order of a form: Tab walks its fields and buttons in reading
// order, worked out from where they stand, so that no form needs a list of its
// own and a moved control finds its place by itself.
#pragma once

class QWidget;

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
