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
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/tarvelmundix/ports";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/tarvelmundix/ports";
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
  // "\\.\COMn" is no file to ask the file system about. The DOS device
  // table names the COM ports of the system's drivers; a port entered some
  // other way (Wine's dosdevices folder) is asked for without any access,
  // which reads and sets nothing on the line: it opens, or is busy.
  char target[1024];
  const std::string name = "COM" + std::to_string(n);
  if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) return true;
  HANDLE h = CreateFileA(ComDeviceName(n).c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  const DWORD error = GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
#else
  std::error_code ec;
  return std::filesystem::exists(ComDeviceName(n), ec);
#endif
}

}  // namespace tvx::platform
