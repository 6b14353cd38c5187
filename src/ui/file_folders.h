// Where the program's file dialogs start. Each kind of file remembers the
// folder last chosen for it, across runs, in the program's settings; until one
// is chosen (or when that folder is gone) a dialog starts in the user's
// documents folder, never in the process's working directory.
#pragma once

#include <QString>

namespace tvx::ui {

enum class FileFolder { Configuration, ChartPicture, Report, DriverExport };

// The folder a dialog for `kind` starts in.
QString StartFolder(FileFolder kind);

// Remembers the folder of `chosen`: a file's folder, or `chosen` itself when
// it is a folder (the driver export).
void RememberFolder(FileFolder kind, const QString& chosen, bool isFolder = false);

}  // namespace tvx::ui
