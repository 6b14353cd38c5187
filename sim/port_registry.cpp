#include "sim/port_registry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace sim {

fs::path defaultPortsFolder() {
  if (const char* env = std::getenv("TARVELMUNDIX_PORTS"); env && *env) return env;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return fs::path(xdg) / "tarvelmundix" / "ports";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".config" / "tarvelmundix" / "ports";
}

namespace {

std::string readSmallFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Write-then-rename, so a reader never sees a half-written name.
void writeAtomically(const fs::path& p, const std::string& text) {
  const fs::path tmp = p.string() + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + tmp.string());
  }
  fs::rename(tmp, p);
}

}  // namespace

PortRegistration::PortRegistration(fs::path folder, int comNumber, std::string devicePath)
    : folder_(std::move(folder)), com_(comNumber), device_(std::move(devicePath)) {
  if (com_ < 1 || com_ > 16) throw std::runtime_error("COM number must be 1 to 16");
  fs::create_directories(folder_);
  const fs::path link = linkPath();
  std::error_code ec;
  const auto st = fs::symlink_status(link, ec);
  if (!ec && fs::exists(st)) {
    if (!fs::is_symlink(st)) {
      throw std::runtime_error(link.string() + " exists and is not a symbolic link");
    }
    std::error_code ec2;
    if (fs::exists(link, ec2) && fs::read_symlink(link) != fs::path(device_)) {
      throw std::runtime_error(link.string() + " is in use (" + fs::read_symlink(link).string() + ")");
    }
  }
  // Replace a stale entry atomically: link under a temporary name, then rename.
  const fs::path tmp = link.string() + ".tmp" + std::to_string(::getpid());
  fs::remove(tmp, ec);
  fs::create_symlink(device_, tmp);
  fs::rename(tmp, link);
  linked_ = true;
  writeAtomically(portNamePath(), comName());
  announced_ = true;
}

PortRegistration::~PortRegistration() { release(); }

void PortRegistration::release() noexcept {
  std::error_code ec;
  if (linked_) {
    const fs::path link = linkPath();
    if (fs::is_symlink(fs::symlink_status(link, ec)) && fs::read_symlink(link, ec) == fs::path(device_))
      fs::remove(link, ec);
    linked_ = false;
  }
  if (announced_) {
    try {
      if (readSmallFile(portNamePath()) == comName()) fs::remove(portNamePath(), ec);
    } catch (...) {
    }
    announced_ = false;
  }
}

}  // namespace sim
