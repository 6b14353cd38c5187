// Configuration files on disk, through the program's file module: read once
// and bounded, written whole or not at all, never over a device or a FIFO.
#pragma once

#include "params/profiles.h"

namespace tvx::params {

class QtCfgStorage : public CfgStorage {
 public:
  bool Exists(const std::string& path) override;
  std::optional<std::vector<std::uint8_t>> Read(const std::string& path, std::size_t limit) override;
  void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
};

}  // namespace tvx::params
