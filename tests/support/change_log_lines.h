// The lines of a change log file, each split into its tab-separated fields.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tvx::testing {

using LogLine = std::vector<std::string>;

inline std::vector<LogLine> SplitLogLines(std::istream& in) {
  std::vector<LogLine> lines;
  for (std::string line; std::getline(in, line);) {
    LogLine fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    lines.push_back(fields);
  }
  return lines;
}

inline std::vector<LogLine> ChangeLogLines(const std::filesystem::path& file) {
  std::ifstream in(file);
  return SplitLogLines(in);
}

}  // namespace tvx::testing
