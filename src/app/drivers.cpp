#include "app/drivers.h"

#include "app/maker_info.h"
#include "app/program_resources.h"
#include "platform/program_files.h"
#include "platform/valve_port_lookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef TVX_DRIVER_CATALOGS
// Q_INIT_RESOURCE must be used outside any namespace.
static void InitDriverCatalogResources() { Q_INIT_RESOURCE(driver_catalogs); }
#endif

namespace tvx::app {

namespace {

constexpr const char* InformationFileName = "VCPDriver.inf";
constexpr const char* CatalogX64FileName = "vcpdriverx64.cat";
constexpr const char* CatalogX86FileName = "vcpdriverx86.cat";
constexpr const char* UdevRuleFileName = "70-tarvelmundix.rules";
constexpr const char* UdevRuleResource = ":/tarvelmundix/70-tarvelmundix.rules";

constexpr const char* Caption = " Sterownik";
constexpr const char* OverwriteText = " Zastąpić istniejące pliki sterownika ?    ";
constexpr const char* DoneText = " Pliki sterownika utworzone    \n we wskazanym katalogu!";
constexpr const char* FailedText = " Błąd zapisu plików sterownika    \n we wskazanym katalogu!";
constexpr const char* CreateFolderText = " Wskazany katalog nie istnieje.\n Utworzyć go?";
constexpr const char* UdevNoteText = " Regułę udev 70-tarvelmundix.rules skopiuj do /etc/udev/rules.d/";

// Empty when the resource is missing: the export refuses an empty file.
[[maybe_unused]] QByteArray ReadResource(const char* path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The information file is plain 8-bit text, read by Windows in the system's
// code page: every text in it must be ASCII, or a letter would be lost.
constexpr bool IsPlainAscii(const char* text) {
  for (; *text; ++text) {
    if (static_cast<unsigned char>(*text) > 0x7F) return false;
  }
  return true;
}
static_assert(IsPlainAscii(MakerCompany), "the maker's name goes into the driver information file: ASCII only");

}  // namespace

QString ValveHardwareId() {
  return QStringLiteral("USB\\VID_%1&PID_%2")
      .arg(QString::fromLatin1(platform::ValveUsbVendor), QString::fromLatin1(platform::ValveUsbProduct));
}

QByteArray DriverInformationFile(bool withCatalogs) {
  const QString device = QStringLiteral("%DeviceName%=DriverInstall,") + ValveHardwareId();
  QStringList lines = {
      QStringLiteral("; VCPDriver.inf: the valve electronics' USB virtual COM port."),
      QStringLiteral("; Binds the valve's CDC-ACM interface to the usbser driver of Windows;"),
      QStringLiteral("; Windows 10 and later do so without this file."),
      QString(),
      QStringLiteral("[Version]"),
      QStringLiteral("Signature=\"$Windows NT$\""),
      QStringLiteral("Class=Ports"),
      QStringLiteral("ClassGuid={4D36E978-E325-11CE-BFC1-08002BE10318}"),
      QStringLiteral("Provider=%Provider%"),
      QStringLiteral("DriverVer=04/30/2013,1.0.0.0"),
  };
  if (withCatalogs) {
    lines << QStringLiteral("CatalogFile.NTx86=VCPDriverX86.cat")
          << QStringLiteral("CatalogFile.NTamd64=VCPDriverX64.cat");
  }
  lines << QString() << QStringLiteral("[MANUFACTURER]") << QStringLiteral("%Provider%=DeviceList,NTx86,NTamd64")
        << QString() << QStringLiteral("[DeviceList.NTx86]") << device << QString()
        << QStringLiteral("[DeviceList.NTamd64]") << device << QString() << QStringLiteral("[DestinationDirs]")
        << QStringLiteral("DefaultDestDir=12") << QStringLiteral("FakeModemCopyFileSection=12") << QString()
        << QStringLiteral("[DriverInstall]") << QStringLiteral("Include=mdmcpq.inf")
        << QStringLiteral("CopyFiles=FakeModemCopyFileSection")
        << QStringLiteral("AddReg=LowerFilterAddReg,SerialPropPageAddReg") << QString()
        << QStringLiteral("[DriverInstall.Services]") << QStringLiteral("Include=mdmcpq.inf")
        << QStringLiteral("AddService=usbser,0x00000002,LowerFilter_Service_Inst") << QString()
        << QStringLiteral("[SerialPropPageAddReg]")
        << QStringLiteral("HKR,,EnumPropPages32,,\"MsPorts.dll,SerialPortPropPageProvider\"") << QString()
        << QStringLiteral("[Strings]") << QStringLiteral("Provider=\"%1\"").arg(QString::fromLatin1(MakerCompany))
        << QStringLiteral("DeviceName=\"Elektronika rozdzielacza (port COM USB)\"");
  return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

bool HasSignedCatalogs() {
#ifdef TVX_DRIVER_CATALOGS
  return true;
#else
  return false;
#endif
}

std::vector<DriverFile> DriverFiles() {
  InitProgramResources();
  std::vector<DriverFile> files;
  files.push_back({QString::fromLatin1(InformationFileName), DriverInformationFile(HasSignedCatalogs())});
#ifdef TVX_DRIVER_CATALOGS
  InitDriverCatalogResources();
  files.push_back({QString::fromLatin1(CatalogX64FileName), ReadResource(":/tarvelmundix/drivers/x64.cat")});
  files.push_back({QString::fromLatin1(CatalogX86FileName), ReadResource(":/tarvelmundix/drivers/x86.cat")});
#else
  (void)CatalogX64FileName;
  (void)CatalogX86FileName;
#endif
#ifdef Q_OS_LINUX
  files.push_back({QString::fromLatin1(UdevRuleFileName), ReadResource(UdevRuleResource)});
#else
  (void)UdevRuleFileName;
  (void)UdevRuleResource;
#endif
  return files;
}

QString DriverFilePath(const QString& folder, const QString& fileName) {
  return QDir::cleanPath(QDir(QDir::fromNativeSeparators(folder)).filePath(fileName));
}

bool UdevRuleInstalled(const QStringList& ruleFolders) {
  for (const QString& folder : ruleFolders) {
    if (QFileInfo::exists(QDir(folder).filePath(QString::fromLatin1(UdevRuleFileName)))) return true;
  }
  return false;
}

QStringList UdevRuleFolders() {
  return {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
          QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")};
}

DriverExportResult ExportDriverFiles(view::Questions& user, const std::vector<DriverFile>& files,
                                     const QString& startFolder, bool udevRuleInstalled, QString* chosenFolder) {
  using Q = view::Questions;
  const std::optional<std::string> chosen = user.askDirectory(std::string(), startFolder.toStdString());
  if (!chosen || chosen->empty()) return DriverExportResult::Cancelled;
  const QString folder = QString::fromStdString(*chosen);
  if (chosenFolder) *chosenFolder = folder;

  // The message names the file that failed when there is one.
  auto failed = [&](const std::string& detail = {}) {
    user.ask(detail.empty() ? std::string(FailedText) : std::string(FailedText) + "\n " + detail, Caption,
             Q::Icon::Error);
    return DriverExportResult::Failed;
  };
  // A file this build should carry and does not: nothing is written.
  for (const DriverFile& f : files) {
    if (f.content.isEmpty()) return failed();
  }

  if (!QFileInfo(folder).isDir()) {
    if (QFileInfo::exists(folder)) return failed(folder.toStdString());  // a file of that name is in the way
    if (user.ask(CreateFolderText, Caption, Q::Icon::Question, Q::Buttons::YesNo) != Q::Answer::Yes)
      return DriverExportResult::Cancelled;
    if (!QDir().mkpath(folder)) return failed(folder.toStdString());
  }

  bool anyExists = false;
  for (const DriverFile& f : files) anyExists = anyExists || QFileInfo::exists(DriverFilePath(folder, f.name));
  if (anyExists && user.ask(OverwriteText, Caption, Q::Icon::Question, Q::Buttons::OkCancel) != Q::Answer::Ok)
    return DriverExportResult::Cancelled;

  // All files are checked and written before any of them replaces one that is there.
  bool udevRule = false;
  std::vector<std::pair<std::string, std::string>> written;
  for (const DriverFile& f : files) {
    written.emplace_back(DriverFilePath(folder, f.name).toStdString(), f.content.toStdString());
    udevRule = udevRule || f.name == QLatin1String(UdevRuleFileName);
  }
  try {
    platform::WriteWholeFiles(written);
  } catch (const platform::FileError& e) {
    return failed(e.polish());
  }
  std::string done = DoneText;
  if (udevRule && !udevRuleInstalled) done += std::string("\n") + UdevNoteText;
  user.ask(done, Caption, Q::Icon::Information);
  return DriverExportResult::Written;
}

}  // namespace tvx::app
