// The command line tool run in process against the simulated valve: its exit
// code and output, and files for it to read.
#pragma once

#include "cli/cli.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tvx::cli {

class CommandLine : public ::testing::Test {
 protected:
  explicit CommandLine(sim::ValveConfig config = {}) : valve_(std::move(config)) {}

  struct Result {
    int code;
    std::string out, err;
  };

  Result run(std::vector<std::string> args, const std::optional<std::string>& typed = std::nullopt) {
    std::ostringstream out, err;
    Io io{out, err};
    io.askPassword = [typed] { return typed; };
    io.stopRequested = [this](int rows) { return rows >= stopAfterRows_; };
    if (args.size() > 0 && args[0] != "ports")
      args.insert(args.end(), {"--port", "COM" + std::to_string(valve_.comNumber())});
    const int code = cli::Run(args, io);
    return {code, out.str(), err.str()};
  }
  std::string file(const std::string& name, const std::string& text) {
    std::string path = (folder_.path() / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::array<std::uint32_t, 129> parameters() {
    std::array<std::uint32_t, 129> words{};
    for (int r = 1; r <= 128; ++r) words[static_cast<std::size_t>(r)] = valve_.model().parameter(r);
    return words;
  }

  testing::SimulatedValve valve_;
  testing::TempFolder folder_;
  int stopAfterRows_ = 1;
};

}  // namespace tvx::cli
