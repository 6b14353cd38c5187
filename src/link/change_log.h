// The change log: one line per operation that wrote to the valve, appended to
// a text file in the user's data folder, so that a record is kept of what was
// written to which valve, from the window and from the command line alike.
//
// A sequence that writes opens a ChangeLogScope named in the window's words
// (the button or menu caption). The exchanges report every W and S frame they
// send to the open scope, so no write of the operation can be missed; when the
// outermost scope closes, one line is appended and flushed. A scope with no
// write adds nothing. A W frame sent outside any scope still writes a
// parameter register and gets a line of its own; S frames outside a scope are
// the live controls (set value, remote switches, manual outputs, counters of
// the status display) and change no setting, so they are not logged.
//
// A line holds tab-separated fields: local time (ISO 8601), serial number,
// type, firmware, operation, what was sent, e.g.
//   W005 0000012C -> 00000190, W017 = 3F800000, S995 = 00000001, 120 unchanged
// and the access level of the person who made the change ("level 2"; "level ?"
// before a login). Lines written before the level was logged end after what
// was sent.
// "old -> new" for a parameter register whose word was known (read from the
// valve or written by the program since the port was opened) and differs,
// "= new" when the old word is not known; writes that left a known word as it
// was are counted, not listed. Consecutive frames to the same register without
// an old word share one entry ("S989 = 00000001 00000002 ..."). A frame the
// valve did not answer is marked "(no reply)": it went out, but whether the
// valve took it is unknown. An operation ended by an error ends with
// "interrupted".
//
// A log that cannot be written never stops an operation; the first failure of
// the run goes to the failure reporter. What the log knows of the valve, its
// file, reporter and observer belong to the thread that exchanges with the
// valve (the window's, or one per valve of the command-line tool); lines of
// several threads are appended one whole line at a time. No Qt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tvx::link {

// Where the lines go; an empty path (the default) keeps no log.
void SetChangeLogFile(const std::filesystem::path& path);
const std::filesystem::path& ChangeLogFile();

// Told once per run when a line cannot be appended: the file and why.
using ChangeLogFailureReporter = std::function<void(const std::string& file, const std::string& reason)>;
void SetChangeLogFailureReporter(ChangeLogFailureReporter reporter);

// The valve's identity as the parameter read found it: the serial number and
// type texts as the valve sends them (one byte a character), the firmware as
// the window shows it. Until then (and after the port is opened or closed)
// the line shows "?".
void SetLoggedValve(const std::string& serialNumber, const std::string& deviceType, const std::string& firmware);
// The serial number named now (UTF-8), "?" when no valve is named.
std::string LoggedSerialNumber();
// The access level the user logged in with, for the lines that follow.
void SetLoggedAccessLevel(int level);
// Forgets the identity and every known parameter word: the port was opened or
// closed, so another valve may answer next.
void ForgetLoggedValve();

// The exchanges tell what they learn of parameter registers: a word read
// (R reply, or the whole set from the parameter block).
void NoteParameterWord(int reg, std::uint32_t word);
void NoteParameterBlock(const std::uint8_t* block, std::size_t length);

// An operation that writes the three user profile banks tells their words
// (bank after bank), for the history; outside an operation it is ignored.
void NoteProfileBanks(std::vector<std::uint32_t> words);

// The exchanges report each W or S frame just before it goes out, and its
// reply when it came.
void LogFrameSent(char letter, int reg, std::uint32_t word);
void LogFrameAnswered();

// What the valve history keeps of an operation: every line of the log, and
// every whole-set read. `words` are the parameter words known after it
// (register -> word): the whole set after a read, and after a send the words
// read before it with the writes the valve answered.
struct LoggedOperation {
  std::string serialNumber, deviceType, firmware;  // UTF-8, "?" when not known
  std::string operation;
  std::string sent;  // the line's text of what was sent; empty for a read
  bool read = false;
  std::map<int, std::uint32_t> words;
  std::optional<int> activeProfile;
  // The three user profile banks (3 x 128 words) an operation wrote and knew
  // whole (a load from a file); empty otherwise.
  std::vector<std::uint32_t> banks;
};
using ChangeLogObserver = std::function<void(const LoggedOperation&)>;
// One observer (the valve history); it must not throw into the operation.
void SetChangeLogObserver(ChangeLogObserver observer);
// The whole set was read and judged plausible; the active profile with it.
void LogParameterRead(std::optional<int> activeProfile);

class ChangeLogScope {
 public:
  explicit ChangeLogScope(std::string operation);
  ~ChangeLogScope();
  ChangeLogScope(const ChangeLogScope&) = delete;
  ChangeLogScope& operator=(const ChangeLogScope&) = delete;

  // A command of this operation (S frame) may change parameter words the
  // program does not see (a reset, a profile load, a calibration), so known
  // words are forgotten when it closes. An operation whose commands leave the
  // working parameters as they are (storing them in EEPROM) says so here.
  void CommandsKeepParameters() { keepsParameters_ = true; }

 private:
  bool outermost_;
  bool keepsParameters_ = false;
  int uncaught_;
};

}  // namespace tvx::link
