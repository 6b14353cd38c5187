#include "sim/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace sim {
namespace {

constexpr const char* StateFileMagic = "tarvelmundix-valve-eeprom 1";

std::string toHex(const std::uint8_t* p, std::size_t n) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  s.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    s.push_back(digits[p[i] >> 4]);
    s.push_back(digits[p[i] & 15]);
  }
  return s;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool fromHex(const std::string& s, std::uint8_t* p, std::size_t n) {
  if (s.size() != 2 * n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const int hi = hexValue(s[2 * i]), lo = hexValue(s[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    p[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return true;
}

// FNV-1a over every data byte in file order: a torn or edited file is noticed.
std::uint32_t checksum(const StateImage& im) {
  std::uint32_t h = 2166136261u;
  auto add = [&](const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  };
  const auto a = static_cast<std::uint8_t>(im.active);
  add(&a, 1);
  for (const auto& b : im.user) add(b.data(), b.size());
  for (const auto& b : im.factory) add(b.data(), b.size());
  add(im.serial.data(), im.serial.size());
  add(im.type.data(), im.type.size());
  return h;
}

std::string render(const StateImage& im) {
  std::ostringstream o;
  o << StateFileMagic << "\n";
  o << "active " << im.active << "\n";
  for (int i = 0; i < 3; ++i) o << "user" << i << " " << toHex(im.user[i].data(), BankBytes) << "\n";
  for (int i = 0; i < 3; ++i) o << "factory" << i << " " << toHex(im.factory[i].data(), BankBytes) << "\n";
  o << "serial " << toHex(im.serial.data(), im.serial.size()) << "\n";
  o << "type " << toHex(im.type.data(), im.type.size()) << "\n";
  char sum[16];
  std::snprintf(sum, sizeof sum, "%08X", checksum(im));
  o << "sum " << sum << "\n";
  return o.str();
}

}  // namespace

StateLoad readStateFile(const std::string& path, StateImage& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return StateLoad::Missing;
    error = std::strerror(errno);
    return StateLoad::Corrupt;
  }
  std::string line;
  if (!std::getline(in, line) || line != StateFileMagic) {
    error = "unknown format";
    return StateLoad::Corrupt;
  }
  std::map<std::string, std::string> fields;
  while (std::getline(in, line)) {
    const auto sp = line.find(' ');
    if (sp == std::string::npos) {
      error = "malformed line";
      return StateLoad::Corrupt;
    }
    fields[line.substr(0, sp)] = line.substr(sp + 1);
  }
  StateImage im;
  auto need = [&](const std::string& key, std::uint8_t* p, std::size_t n) {
    auto it = fields.find(key);
    if (it == fields.end() || !fromHex(it->second, p, n)) {
      error = "missing or damaged field '" + key + "'";
      return false;
    }
    return true;
  };
  for (int i = 0; i < 3; ++i) {
    if (!need("user" + std::to_string(i), im.user[i].data(), BankBytes)) return StateLoad::Corrupt;
    if (!need("factory" + std::to_string(i), im.factory[i].data(), BankBytes)) return StateLoad::Corrupt;
  }
  if (!need("serial", im.serial.data(), im.serial.size()) || !need("type", im.type.data(), im.type.size()))
    return StateLoad::Corrupt;
  const std::string act = fields.count("active") ? fields["active"] : "";
  if (act != "0" && act != "1" && act != "2") {
    error = "bad active profile";
    return StateLoad::Corrupt;
  }
  im.active = act[0] - '0';
  std::uint8_t sum[4];
  if (!need("sum", sum, 4)) return StateLoad::Corrupt;
  const std::uint32_t stored =
      std::uint32_t(sum[0]) << 24 | std::uint32_t(sum[1]) << 16 | std::uint32_t(sum[2]) << 8 | sum[3];
  if (stored != checksum(im)) {
    error = "checksum mismatch";
    return StateLoad::Corrupt;
  }
  out = im;
  return StateLoad::Loaded;
}

bool writeStateFile(const std::string& path, const StateImage& image, std::string& error) {
  const std::string text = render(image);
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace sim
