#include "platform/program_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tvx::platform {

namespace fs = std::filesystem;

namespace {

std::string EnglishText(const std::string& path, FileFault fault, const std::string& reason) {
  switch (fault) {
    case FileFault::NotRegular:
      return path + ": not a regular file (a device, FIFO or folder is never read or replaced)";
    case FileFault::NotFound: return path + ": no such file or folder";
    case FileFault::TooLarge: return path + ": too large (more than " + reason + " bytes)";
    case FileFault::System: break;
  }
  return path + ": " + reason;
}

std::string PolishText(const std::string& path, FileFault fault, const std::string& reason) {
  switch (fault) {
    case FileFault::NotRegular: return "Plik " + path + " nie jest zwykłym plikiem (urządzenie, FIFO lub katalog)";
    case FileFault::NotFound: return "Nie ma pliku lub katalogu " + path;
    case FileFault::TooLarge: return "Plik " + path + " jest za duży (ponad " + reason + " B)";
    case FileFault::System: break;
  }
  return "Błąd pliku " + path + ": " + reason;
}

}  // namespace

FileError::FileError(std::string path, FileFault fault, std::string reason)
    : std::runtime_error(PolishText(path, fault, reason)),
      path_(std::move(path)),
      fault_(fault),
      reason_(std::move(reason)) {}

std::string FileError::english() const { return EnglishText(path_, fault_, reason_); }
std::string FileError::polish() const { return what(); }

namespace {

fs::path PathOf(const std::string& path) {
#ifdef _WIN32
  return fs::path(std::u8string(path.begin(), path.end()));
#else
  return fs::path(path);
#endif
}

std::string SystemText(int error) { return std::generic_category().message(error); }

// The file a path names, symbolic links followed (a dangling link names its
// target); the path as given when nothing of it resolves.
fs::path Target(const fs::path& path) {
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

// A name in the target's folder that nothing else uses.
fs::path TemporaryBeside(const fs::path& target) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx~", static_cast<unsigned long long>(random()));
  fs::path name = target.filename();
  name += suffix;
  return target.parent_path() / name;
}

// A temporary file that holds an output until it is put in place.
struct Pending {
  std::string path;    // as the user named it
  fs::path target;     // where it goes
  fs::path temporary;  // empty once put in place or removed
};

void Discard(Pending& p) {
  if (p.temporary.empty()) return;
  std::error_code ec;
  fs::remove(p.temporary, ec);
  p.temporary.clear();
}

#ifdef _WIN32

void WriteTemporary(Pending& p, std::string_view bytes) {
  p.temporary = TemporaryBeside(p.target);
  std::ofstream out(p.temporary, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    Discard(p);
    throw FileError(p.path, FileFault::System, "cannot write");
  }
}

void PutInPlace(Pending& p) {
  if (!MoveFileExW(p.temporary.c_str(), p.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    Discard(p);
    throw FileError(p.path, FileFault::System, std::system_category().message(static_cast<int>(error)));
  }
  p.temporary.clear();
}

#else

void WriteTemporary(Pending& p, std::string_view bytes) {
  // A file that is replaced keeps its permissions; a new one gets the usual
  // 0666 less the umask.
  struct stat old {};
  const bool replacing = ::stat(p.target.c_str(), &old) == 0;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    p.temporary = TemporaryBeside(p.target);
    fd = ::open(p.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int error = errno;
    p.temporary.clear();
    throw FileError(p.path, error == ENOENT ? FileFault::NotFound : FileFault::System, SystemText(error));
  }
  int error = 0;
  if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  for (std::size_t done = 0; error == 0 && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error = n < 0 ? errno : EIO;
    else done += static_cast<std::size_t>(n);
  }
  if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    Discard(p);
    throw FileError(p.path, FileFault::System, SystemText(error));
  }
}

void PutInPlace(Pending& p) {
  if (::rename(p.temporary.c_str(), p.target.c_str()) != 0) {
    const int error = errno;
    Discard(p);
    throw FileError(p.path, FileFault::System, SystemText(error));
  }
  p.temporary.clear();
}

#endif

}  // namespace

std::optional<FileError> OutputProblem(const std::string& path) {
  const fs::path target = Target(PathOf(path));
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (fs::exists(status)) {
    if (!fs::is_regular_file(status)) return FileError(path, FileFault::NotRegular);
    return std::nullopt;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const fs::file_status folderStatus = fs::status(folder, ec);
  if (!fs::exists(folderStatus)) return FileError(path, FileFault::NotFound);
  if (!fs::is_directory(folderStatus)) return FileError(path, FileFault::System, SystemText(ENOTDIR));
  return std::nullopt;
}

void CheckOutputs(const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    if (std::optional<FileError> problem = OutputProblem(path)) throw *problem;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) { WriteWholeFiles({{path, std::string(bytes)}}); }

void WriteWholeFiles(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string> paths;
  paths.reserve(files.size());
  for (const auto& f : files) paths.push_back(f.first);
  CheckOutputs(paths);
  std::vector<Pending> pending;
  pending.reserve(files.size());
  try {
    for (const auto& [path, bytes] : files) {
      pending.push_back({path, Target(PathOf(path)), {}});
      WriteTemporary(pending.back(), bytes);
    }
    // Checked once more just before: nothing has put a device there meanwhile.
    CheckOutputs(paths);
    for (Pending& p : pending) PutInPlace(p);
  } catch (...) {
    for (Pending& p : pending) Discard(p);
    throw;
  }
}

// ---- appending ----------------------------------------------------------------------

#ifdef _WIN32

AppendFile::AppendFile(const std::string& path) : path_(path) {
  if (std::optional<FileError> problem = OutputProblem(path)) throw *problem;
  const HANDLE h = CreateFileW(PathOf(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw FileError(path, FileFault::System, std::system_category().message(static_cast<int>(GetLastError())));
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  initialSize_ = static_cast<std::size_t>(size.QuadPart);
  native_ = reinterpret_cast<std::intptr_t>(h);
}

AppendFile::~AppendFile() { CloseHandle(reinterpret_cast<HANDLE>(native_)); }

void AppendFile::append(std::string_view text) {
  DWORD written = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(native_), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size())
    throw FileError(path_, FileFault::System, std::system_category().message(static_cast<int>(GetLastError())));
}

#else

AppendFile::AppendFile(const std::string& path) : path_(path) {
  // O_NONBLOCK: a FIFO without a reader would make the open wait for ever.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) throw FileError(path, FileFault::NotRegular);
    throw FileError(path, error == ENOENT ? FileFault::NotFound : FileFault::System, SystemText(error));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(path, FileFault::NotRegular);
  }
  ::fcntl(fd, F_SETFL, O_WRONLY | O_APPEND);
  initialSize_ = static_cast<std::size_t>(st.st_size);
  native_ = fd;
}

AppendFile::~AppendFile() { ::close(static_cast<int>(native_)); }

void AppendFile::append(std::string_view text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(static_cast<int>(native_), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError(path_, FileFault::System, SystemText(n < 0 ? errno : EIO));
    done += static_cast<std::size_t>(n);
  }
}

#endif

// ---- inputs -------------------------------------------------------------------------

namespace {

std::string ReadInput(const std::string& path, std::size_t limit, bool refuseLarger) {
#ifdef _WIN32
  const fs::path p = PathOf(path);
  std::error_code ec;
  const fs::file_status status = fs::status(p, ec);
  if (!fs::exists(status)) throw FileError(path, FileFault::NotFound);
  if (!fs::is_regular_file(status)) throw FileError(path, FileFault::NotRegular);
  std::ifstream in(p, std::ios::binary);
  if (!in) throw FileError(path, FileFault::System, "cannot open");
  std::string bytes(limit + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) throw FileError(path, FileFault::System, "cannot read");
  bytes.resize(static_cast<std::size_t>(in.gcount()));
#else
  // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    throw FileError(path, error == ENOENT ? FileFault::NotFound : FileFault::System, SystemText(error));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(path, FileFault::NotRegular);
  }
  std::string bytes;
  char chunk[65536];
  int error = 0;
  // One byte beyond the limit tells a file that is too large.
  while (bytes.size() <= limit) {
    const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, limit + 1 - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (error != 0) throw FileError(path, FileFault::System, SystemText(error));
#endif
  if (bytes.size() > limit) {
    if (refuseLarger) throw FileError(path, FileFault::TooLarge, std::to_string(limit));
    bytes.resize(limit);
  }
  return bytes;
}

}  // namespace

std::string ReadInputFile(const std::string& path, std::size_t limit) { return ReadInput(path, limit, true); }

std::string ReadInputStart(const std::string& path, std::size_t bytes) { return ReadInput(path, bytes, false); }

}  // namespace tvx::platform
