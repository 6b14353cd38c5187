#include "params/qt_cfg_storage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <stdexcept>

namespace tvx::params {

namespace {
QString Path(const std::string& path) { return QString::fromStdString(path); }

[[noreturn]] void FileError(const char* what, const std::string& path, const QString& reason) {
  throw std::runtime_error(std::string(what) + " \"" + path + "\". " + reason.toStdString());
}
}  // namespace

bool QtCfgStorage::Exists(const std::string& path) { return QFileInfo::exists(Path(path)); }

std::optional<std::vector<std::uint8_t>> QtCfgStorage::Read(const std::string& path, std::size_t limit) {
  QFile file(Path(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray data = file.read(static_cast<qint64>(limit));
  if (file.error() != QFileDevice::NoError) FileError("Nie można odczytać pliku", path, file.errorString());
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

void QtCfgStorage::Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  QSaveFile file(Path(path));
  if (!file.open(QIODevice::WriteOnly)) FileError("Nie można utworzyć pliku", path, file.errorString());
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit())
    FileError("Nie można zapisać pliku", path, file.errorString());
}

}  // namespace tvx::params
