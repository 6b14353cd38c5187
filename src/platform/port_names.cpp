#include "platform/port_names.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

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

}  // namespace tvx::platform
