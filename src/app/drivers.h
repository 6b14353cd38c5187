// The USB driver files the program writes into a folder the user chooses.
//
// Windows binds the valve's CDC-ACM interface to its own usbser driver; the
// information file written here says so for the valve's hardware identifier
// (Windows 10 and 11 do it without the file). Signed catalogs are written only
// when the maker supplied them at build time (TVX_DRIVER_CATALOG_X64/X86): a
// catalog signs the exact bytes of the package, so it cannot be made up here.
// On Linux the export also offers the udev rule the package installs.
//
// The export sequence asks and reports through view::Questions, so it runs
// without widgets; the window passes the program's prompts.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "view/questions.h"

#include <optional>
#include <vector>

namespace tvx::app {

struct DriverFile {
  QString name;  // file name within the chosen folder
  QByteArray content;
};

// "USB\VID_0000&PID_0400", from the same vendor and product the port lookup uses.
QString ValveHardwareId();

// The driver information file (CR LF line ends); the two CatalogFile lines are
// there only when signed catalogs go with it.
QByteArray DriverInformationFile(bool withCatalogs);

// Whether this build carries the maker's signed catalogs.
bool HasSignedCatalogs();

// The files of one export, in the order they are written: the information
// file, the catalogs (x64, x86) when the build has them, and on Linux the udev
// rule.
std::vector<DriverFile> DriverFiles();

// A file in a chosen folder, joined with exactly one separator whatever the
// folder ends in ("C:\", "/tmp/x/", "/").
QString DriverFilePath(const QString& folder, const QString& fileName);

enum class DriverExportResult { Cancelled, Written, Failed };

// Whether the udev rule is already in one of `ruleFolders` (the package puts
// it in /usr/lib/udev/rules.d): then the export does not ask for a copy.
bool UdevRuleInstalled(const QStringList& ruleFolders);
// The folders udev reads its rules from.
QStringList UdevRuleFolders();

// The export: choose a folder (created after asking when it does not exist),
// one overwrite question when any of the files is already there, every file
// written anew through QSaveFile in order, then the success or error report.
// Files written before a failure stay; a file without content (a resource
// missing from the build) is an error before anything is written. The success
// report asks for a copy of the udev rule unless `udevRuleInstalled`.
// `chosenFolder`, when given, receives the folder the user chose.
DriverExportResult ExportDriverFiles(view::Questions& user, const std::vector<DriverFile>& files,
                                     const QString& startFolder, bool udevRuleInstalled = false,
                                     QString* chosenFolder = nullptr);

}  // namespace tvx::app
