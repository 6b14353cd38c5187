// Every window of the program as a user meets it: the login dialog, the main
// window with each of its tab pages in front, and each dialog the main window
// opens, shown over the main window connected to a simulated valve after a read
// of the parameter set. Tests that check something of every form walk them here.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tvx::apptest {

// `name` tells the form (and the tab page or opening): "TPgm [Pomiary]",
// "TLinTableForm [LVDT]", ...; `form` is its top-level widget, shown and active.
// A dialog is visited while it runs modally and closed (rejected) afterwards,
// unless the visitor has closed it itself.
using FormVisitor = std::function<void(const QString& name, QWidget& form)>;

// Opens every form at access level `level` and visits each in turn. The
// environment (simulated valve, port map, scripted prompts, a comma locale) is
// its own for the duration of the call.
void VisitEveryForm(int level, const FormVisitor& visit);

}  // namespace tvx::apptest
