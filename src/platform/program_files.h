// The files the program writes and reads: configuration files, chart
// pictures and recordings, reports, driver files, the component listing, the
// command line tool's JSON and CSV files, the change log.
//
// Outputs are written whole or not at all (a temporary file beside the target,
// renamed over it), and only over a regular file or where nothing is: a
// device, a FIFO, a directory or a socket at the path (symbolic links
// followed) is refused and nothing is written. Inputs are regular files, opened
// without waiting on a FIFO, read once up to a size limit and judged in memory.
// Every error names its file; the window shows polish(), the tool english().
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tvx::platform {

enum class FileFault {
  NotRegular,  // something other than a regular file stands at the path
  NotFound,    // an input that is not there, or an output whose folder is not there
  TooLarge,    // an input beyond its limit
  System,      // the system refused; reason() has its words
};

class FileError : public std::runtime_error {
 public:
  FileError(std::string path, FileFault fault, std::string reason = {});
  const std::string& path() const { return path_; }
  FileFault fault() const { return fault_; }
  const std::string& reason() const { return reason_; }
  // One line naming the file and what is wrong with it.
  std::string english() const;
  std::string polish() const;  // also what()

 private:
  std::string path_;
  FileFault fault_;
  std::string reason_;
};

// ---- outputs ------------------------------------------------------------------------

// What keeps the program from writing `path`: something other than a regular
// file there, or no folder to put it in. Nothing is written or created.
std::optional<FileError> OutputProblem(const std::string& path);
// Throws the first problem of any of the paths, before any of them is written.
void CheckOutputs(const std::vector<std::string>& paths);

// Replaces (or creates) the file with `bytes`; the file that was there stays
// as it was when anything fails. Throws FileError.
void WriteWholeFile(const std::string& path, std::string_view bytes);

// Several files of one command: all are checked and written to temporary files
// first, and put in place only when every one of them was written in full.
void WriteWholeFiles(const std::vector<std::pair<std::string, std::string>>& files);

// A regular file opened for appending (created when missing); FIFOs, devices
// and directories are refused, nothing waits. Throws FileError.
class AppendFile {
 public:
  explicit AppendFile(const std::string& path);
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  // Its size when it was opened.
  std::size_t initialSize() const { return initialSize_; }
  // Appends all of `text`; throws FileError when the system refuses.
  void append(std::string_view text);

 private:
  std::string path_;
  std::intptr_t native_ = -1;
  std::size_t initialSize_ = 0;
};

// ---- inputs -------------------------------------------------------------------------

// The whole of a regular file of at most `limit` bytes. Throws FileError:
// NotFound, NotRegular (without opening a FIFO for reading), TooLarge, System.
std::string ReadInputFile(const std::string& path, std::size_t limit);

// The first `bytes` bytes of a regular file (all of a shorter one), with the
// same checks.
std::string ReadInputStart(const std::string& path, std::size_t bytes);

inline constexpr std::size_t JsonFileLimit = std::size_t{1024} * 1024;

}  // namespace tvx::platform
