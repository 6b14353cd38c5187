#include "platform/port_names.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tvx::platform {

std::string PortMapFolder() {
  if (const char* env = std::getenv(PortMapEnvironmentVariable); env && *env) return env;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::string(xdg) + "/tarvelmundix/ports";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::string(home) + "/.config/tarvelmundix/ports";
  return ".tarvelmundix-ports";
}

std::string ResolveComName(int n, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path entry = fs::path(folder) / ("com" + std::to_string(n));
  if (fs::is_symlink(entry, ec) || fs::exists(entry, ec)) return entry.string();
  return "/dev/ttyACM" + std::to_string(n - 1);
}

std::string ComDeviceName(int n) {
#ifdef _WIN32
  // The "\\.\" prefix is always used, so COM10 and above open too.
  return "\\\\.\\COM" + std::to_string(n);
#else
  return ResolveComName(n, PortMapFolder());
#endif
}

bool ComPortPresent(int n) {
#ifdef _WIN32
  // "\\.\COMn" is no file to ask the file system about; the DOS device
  // table names every COM port the system has.
  char target[1024];
  const std::string name = "COM" + std::to_string(n);
  return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
#else
  std::error_code ec;
  return std::filesystem::exists(ComDeviceName(n), ec);
#endif
}

}  // namespace tvx::platform
