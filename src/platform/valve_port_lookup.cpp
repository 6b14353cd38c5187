#include "platform/valve_port_lookup.h"

#include "platform/port_names.h"
#include "platform/program_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tvx::platform {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadTrimmed(const fs::path& file) {
  // A FIFO or a device put there is refused, never waited on.
  std::string text;
  try {
    text = ReadInputStart(file.string(), 4096);
  } catch (const FileError&) {
    return std::nullopt;
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
    text.pop_back();
  return text;
}

// Two paths name the same device when they resolve to the same file; paths
// that do not exist (a fake tree in tests) compare as written.
bool SameDevice(const fs::path& a, const fs::path& b) {
  std::error_code ea, eb;
  if (fs::exists(a, ea) && fs::exists(b, eb)) return fs::equivalent(a, b, ea);
  fs::path ra = fs::is_symlink(a, ea) ? fs::read_symlink(a, ea) : a;
  if (ra.is_relative() && fs::is_symlink(a, ea)) ra = a.parent_path() / ra;
  return ra.lexically_normal() == b.lexically_normal();
}

}  // namespace

std::optional<std::string> FindUsbTty(const std::string& sysfsRoot, const std::string& vendor,
                                      const std::string& product) {
  std::error_code ec;
  fs::path ttyClass = fs::path(sysfsRoot) / "class" / "tty";
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ttyClass, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    fs::path device = ttyClass / name / "device";
    if (!fs::exists(device, ec)) continue;
    fs::path dir = fs::canonical(device, ec);
    if (ec) continue;
    // Walk up from the interface to the USB device that carries the IDs.
    for (int depth = 0; depth < 8 && !dir.empty() && dir != dir.root_path(); ++depth, dir = dir.parent_path()) {
      auto v = ReadTrimmed(dir / "idVendor");
      if (!v) continue;
      auto p = ReadTrimmed(dir / "idProduct");
      if (*v == vendor && p && *p == product) return name;
      break;  // the nearest USB device is not the valve
    }
  }
  return std::nullopt;
}

std::optional<std::string> ComNameForDevice(const std::string& devicePath, const std::string& folder) {
  for (int n = 1; n <= 16; ++n) {
    if (SameDevice(ResolveComName(n, folder), devicePath)) return "COM" + std::to_string(n);
  }
  return std::nullopt;
}

std::optional<std::string> AnnouncedPortName(const std::string& folder) {
  return ReadTrimmed(fs::path(folder) / PortNameFile);
}

std::optional<std::string> ValvePortName() {
#ifdef _WIN32
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ValveRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char value[256] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  std::optional<std::string> result;
  if (RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    value[std::min<DWORD>(size, sizeof(value) - 1)] = '\0';
    result = std::string(value);
  }
  RegCloseKey(key);
  return result;
#else
  const char* root = std::getenv(SysfsRootEnvironmentVariable);
  std::string sysfs = root && *root ? root : "/sys";
  std::string folder = PortMapFolder();
  if (auto tty = FindUsbTty(sysfs, ValveUsbVendor, ValveUsbProduct)) {
    if (auto com = ComNameForDevice("/dev/" + *tty, folder)) return com;
  }
  return AnnouncedPortName(folder);
#endif
}

}  // namespace tvx::platform
