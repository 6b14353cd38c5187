#include "app/drivers.h"

#include "app/maker_info.h"
#include "app/program_resources.h"
#include "platform/valve_port_lookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

// Used only where a file is read from the resources: the udev rule (Linux) and
// the signed catalogs (builds with them).
[[maybe_unused]] QByteArray ReadResource(const char* path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& content) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

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
    lines << QStringLiteral("CatalogFile.NTx86=VCPDriverX86.cat") << QStringLiteral("CatalogFile.NTamd64=VCPDriverX64.cat");
  }
  lines << QString() << QStringLiteral("[MANUFACTURER]") << QStringLiteral("%Provider%=DeviceList,NTx86,NTamd64")
        << QString() << QStringLiteral("[DeviceList.NTx86]") << device << QString()
        << QStringLiteral("[DeviceList.NTamd64]") << device << QString() << QStringLiteral("[DriverInstall]")
        << QStringLiteral("Include=mdmcpq.inf") << QStringLiteral("CopyFiles=FakeModemCopyFileSection")
        << QStringLiteral("AddReg=LowerFilterAddReg,SerialPropPageAddReg") << QString()
        << QStringLiteral("[DriverInstall.Services]") << QStringLiteral("Include=mdmcpq.inf")
        << QStringLiteral("AddService=usbser,0x00000002,LowerFilter_Service_Inst") << QString()
        << QStringLiteral("[SerialPropPageAddReg]")
        << QStringLiteral("HKR,,EnumPropPages32,,\"MsPorts.dll,SerialPortPropPageProvider\"") << QString()
        << QStringLiteral("[Strings]") << QStringLiteral("Provider=\"%1\"").arg(QString::fromLatin1(MakerCompany))
        << QStringLiteral("DeviceName=\"Elektronika rozdzielacza (port COM USB)\"");
  return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
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

DriverExportResult ExportDriverFiles(view::Questions& user, const std::vector<DriverFile>& files,
                                     const QString& startFolder) {
  using Q = view::Questions;
  const std::optional<std::string> chosen = user.askDirectory(std::string(), startFolder.toStdString());
  if (!chosen || chosen->empty()) return DriverExportResult::Cancelled;
  const QString folder = QString::fromStdString(*chosen);

  auto failed = [&] {
    user.ask(FailedText, Caption, Q::Icon::Error);
    return DriverExportResult::Failed;
  };

  if (!QFileInfo(folder).isDir()) {
    if (QFileInfo::exists(folder)) return failed();  // a file of that name is in the way
    if (user.ask(CreateFolderText, Caption, Q::Icon::Question, Q::Buttons::YesNo) != Q::Answer::Yes)
      return DriverExportResult::Cancelled;
    if (!QDir().mkpath(folder)) return failed();
  }

  bool anyExists = false;
  for (const DriverFile& f : files) anyExists = anyExists || QFileInfo::exists(DriverFilePath(folder, f.name));
  if (anyExists && user.ask(OverwriteText, Caption, Q::Icon::Question, Q::Buttons::OkCancel) != Q::Answer::Ok)
    return DriverExportResult::Cancelled;

  bool udevRule = false;
  for (const DriverFile& f : files) {
    if (!WriteFile(DriverFilePath(folder, f.name), f.content)) return failed();
    udevRule = udevRule || f.name == QLatin1String(UdevRuleFileName);
  }
  std::string done = DoneText;
  if (udevRule) done += std::string("\n") + UdevNoteText;
  user.ask(done, Caption, Q::Icon::Information);
  return DriverExportResult::Written;
}

}  // namespace tvx::app
