#include "link/change_log.h"

#include "platform/program_files.h"

#include "link/frames.h"
#include "link/protocol.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace tvx::link {

namespace {

constexpr const char* Unknown = "?";
constexpr const char* NoOperation = "(no operation)";

struct SentFrame {
  char letter;
  int reg;
  std::uint32_t word;
  std::optional<std::uint32_t> old;  // W only: the register's word before
  bool answered = false;
};

struct LogState {
  std::filesystem::path file;
  ChangeLogFailureReporter reporter;
  bool failureReported = false;

  std::string serialNumber = Unknown;
  std::string deviceType = Unknown;
  std::string firmware = Unknown;
  std::string accessLevel = Unknown;
  std::map<int, std::uint32_t> known;

  std::optional<int> activeProfile;
  ChangeLogObserver observer;

  int depth = 0;
  std::string operation;
  std::vector<SentFrame> frames;
  std::vector<std::uint32_t> banks;
};

LogState& State() {
  thread_local LogState state;
  return state;
}

// Threads that talk to different valves may append to the same file.
std::mutex& AppendLock() {
  static std::mutex lock;
  return lock;
}

// A text of the valve (Latin-1) or of the program as one tab-free UTF-8 field.
std::string Field(const std::string& text, bool latin1) {
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += ' ';
    } else if (latin1 && byte >= 0x80) {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    } else {
      out += c;
    }
  }
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return Unknown;
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// Local time with its offset from UTC, e.g. "2026-12-08T12:45:03+01:00".
std::string Timestamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  localtime_s(&local, &now);
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  int days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  const int minutes = days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const int offset = minutes < 0 ? -minutes : minutes;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, minutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

// What the frames of an operation sent, as the line shows it.
std::string SentText(const std::vector<SentFrame>& frames, bool interrupted) {
  std::vector<std::string> items;
  int unchanged = 0;
  const SentFrame* group = nullptr;  // the entry the next frame may join
  for (const SentFrame& f : frames) {
    const std::string name = f.letter + RegisterDigits(f.reg);
    const std::string noReply = f.answered ? "" : " (no reply)";
    if (f.old) {
      group = nullptr;
      if (*f.old == f.word && f.answered) {
        ++unchanged;
        continue;
      }
      items.push_back(name + ' ' + HexWord(*f.old) + " -> " + HexWord(f.word) + noReply);
      continue;
    }
    if (group && group->letter == f.letter && group->reg == f.reg && f.answered) {
      items.back() += ' ' + HexWord(f.word);
      continue;
    }
    items.push_back(name + " = " + HexWord(f.word) + noReply);
    group = f.answered ? &f : nullptr;
  }
  if (unchanged > 0) items.push_back(std::to_string(unchanged) + " unchanged");
  if (interrupted) items.emplace_back("interrupted");
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

void Append(const std::string& line) {
  LogState& s = State();
  if (s.file.empty()) return;
  std::string reason;
  try {
    std::error_code ec;
    if (s.file.has_parent_path()) std::filesystem::create_directories(s.file.parent_path(), ec);
    // A FIFO or a device at the log's place is refused, never waited on.
    const std::u8string path = s.file.u8string();
    const std::lock_guard lock(AppendLock());
    platform::AppendFile(std::string(path.begin(), path.end())).append(line + '\n');
    return;
  } catch (const platform::FileError& e) {
    reason = e.fault() == platform::FileFault::NotRegular ? "not a regular file" : e.reason();
  } catch (const std::exception& e) {
    reason = e.what();
  }
  if (s.failureReported || !s.reporter) return;
  s.failureReported = true;
  try {
    const std::u8string file = s.file.u8string();
    s.reporter(std::string(file.begin(), file.end()), reason);
  } catch (...) {
    // A report that fails must not end the operation either.
  }
}

}  // namespace

// Tells the observer, never in the operation's way.
void Observe(const std::string& operation, const std::string& sent, bool read) {
  LogState& s = State();
  if (!s.observer) return;
  try {
    LoggedOperation o{s.serialNumber,
                      s.deviceType,
                      s.firmware,
                      operation,
                      sent,
                      read,
                      s.known,
                      s.activeProfile,
                      read ? std::vector<std::uint32_t>{} : s.banks};
    s.observer(o);
  } catch (...) {
  }
}

void SetChangeLogFile(const std::filesystem::path& path) {
  State().file = path;
  State().failureReported = false;
}

const std::filesystem::path& ChangeLogFile() { return State().file; }

void SetChangeLogFailureReporter(ChangeLogFailureReporter reporter) { State().reporter = std::move(reporter); }

void SetChangeLogObserver(ChangeLogObserver observer) { State().observer = std::move(observer); }

void LogParameterRead(std::optional<int> activeProfile) {
  State().activeProfile = activeProfile;
  Observe("Odczytaj", "", true);
}

void SetLoggedValve(const std::string& serialNumber, const std::string& deviceType, const std::string& firmware) {
  LogState& s = State();
  s.serialNumber = Field(serialNumber, true);
  s.deviceType = Field(deviceType, true);
  s.firmware = Field(firmware, false);
}

std::string LoggedSerialNumber() { return State().serialNumber; }

void SetLoggedAccessLevel(int level) { State().accessLevel = std::to_string(level); }

void ForgetLoggedValve() {
  LogState& s = State();
  s.serialNumber = s.deviceType = s.firmware = Unknown;
  s.known.clear();
  s.activeProfile.reset();
}

void NoteProfileBanks(std::vector<std::uint32_t> words) {
  if (State().depth > 0) State().banks = std::move(words);
}

void NoteParameterWord(int reg, std::uint32_t word) { State().known[reg] = word; }

void NoteParameterBlock(const std::uint8_t* block, std::size_t length) {
  for (std::size_t k = 0; k < proto::ParameterWords && 4 * k + 3 < length; ++k) {
    const std::uint8_t* b = block + 4 * k;
    NoteParameterWord(static_cast<int>(k) + 1,
                      static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                          static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
  }
}

void LogFrameSent(char letter, int reg, std::uint32_t word) {
  LogState& s = State();
  SentFrame f{letter, reg, word, std::nullopt, false};
  if (letter == proto::WriteLetter) {
    if (const auto it = s.known.find(reg); it != s.known.end()) f.old = it->second;
    // Until the valve answers, nobody knows which word the register holds,
    // unless it is the same either way.
    if (f.old != word) s.known.erase(reg);
  }
  s.frames.push_back(f);
}

void LogFrameAnswered() {
  LogState& s = State();
  if (s.frames.empty()) return;
  SentFrame& f = s.frames.back();
  f.answered = true;
  if (f.letter == proto::WriteLetter) s.known[f.reg] = f.word;
}

ChangeLogScope::ChangeLogScope(std::string operation)
    : outermost_(State().depth == 0), uncaught_(std::uncaught_exceptions()) {
  LogState& s = State();
  if (outermost_) {
    s.operation = std::move(operation);
    s.frames.clear();
    s.banks.clear();
  } else if (s.operation.empty()) {
    // A named operation inside a lone frame's scope names the whole.
    s.operation = std::move(operation);
  }
  ++s.depth;
}

ChangeLogScope::~ChangeLogScope() {
  LogState& s = State();
  --s.depth;
  if (!outermost_) return;
  std::vector<SentFrame> frames = std::move(s.frames);
  s.frames.clear();
  const bool named = !s.operation.empty();
  bool commands = false;
  for (const SentFrame& f : frames) commands = commands || f.letter == proto::CommandLetter;
  // Outside a named operation only parameter writes count.
  if (!named) std::erase_if(frames, [](const SentFrame& f) { return f.letter != proto::WriteLetter; });
  if (named && commands && !keepsParameters_) {
    s.known.clear();
    s.activeProfile.reset();
  }
  if (frames.empty()) return;
  try {
    const bool interrupted = std::uncaught_exceptions() > uncaught_;
    const std::string operation = named ? Field(s.operation, false) : NoOperation;
    const std::string sent = SentText(frames, interrupted);
    Append(Timestamp() + '\t' + s.serialNumber + '\t' + s.deviceType + '\t' + s.firmware + '\t' + operation + '\t' +
           sent + "\tlevel " + s.accessLevel);
    Observe(operation, sent, false);
  } catch (...) {
    // Never out of a destructor, never in the way of the operation.
  }
}

}  // namespace tvx::link
