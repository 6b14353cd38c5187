// The program's hints (tool tips) switched off and on as a whole: while they
// are off, no window shows one, including windows created later.
#pragma once

namespace tvx::ui {

bool HintsShown();
void SetHintsShown(bool shown);
// Off when they were on, on when they were off.
void ToggleHints();

}  // namespace tvx::ui
