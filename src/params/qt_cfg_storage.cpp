#include "params/qt_cfg_storage.h"

#include "platform/program_files.h"

#include <QFileInfo>
#include <QString>

namespace tvx::params {

bool QtCfgStorage::Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

std::optional<std::vector<std::uint8_t>> QtCfgStorage::Read(const std::string& path, std::size_t limit) {
  std::string bytes;
  try {
    bytes = platform::ReadInputStart(path, limit);
  } catch (const platform::FileError& e) {
    // A file that is not there or cannot be opened gets the dialog's own
    // message; a device or a FIFO is refused with the file error.
    if (e.fault() != platform::FileFault::NotRegular) return std::nullopt;
    throw;
  }
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtCfgStorage::Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  platform::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace tvx::params
