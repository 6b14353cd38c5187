// The tool under bad conditions: special files at its paths, files beyond their
// limits, a port that cannot be opened, standard output that cannot be
// written, Ctrl+C, and the status rows scripts read.
#include "cli/cli.h"
#include "command_line.h"
#include "params/cfg_file.h"
#include "params/register_map.h"
#include "platform/serial_port.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <regex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;

// Lets go of anyone who waits on a FIFO (by opening its other end) after a
// while, so that a fault fails the test instead of hanging it.
class FifoGuard {
 public:
  explicit FifoGuard(std::vector<std::string> fifos)
      : thread_([this, fifos = std::move(fifos)] {
          std::unique_lock lock(mutex_);
          if (done_.wait_for(lock, std::chrono::seconds(5), [this] { return finished_; })) return;
          released = true;
          for (const std::string& f : fifos) {
            const int fd = ::open(f.c_str(), O_RDWR | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
          }
        }) {}
  ~FifoGuard() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  std::atomic<bool> released{false};

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

bool IsFifo(const fs::path& p) { return fs::is_fifo(fs::status(p)); }

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Files : public CommandLine {
 protected:
  // A command line as typed: no port added.
  Result runAsTyped(const std::vector<std::string>& args, std::ostream* out = nullptr) {
    std::ostringstream ownOut, err;
    Io io{out ? *out : ownOut, err};
    io.stopRequested = [this](int rows) { return interrupted_ || rows >= stopAfterRows_; };
    const int code = cli::Run(args, io);
    return {code, ownOut.str(), err.str()};
  }
  std::string fifo(const std::string& name) {
    std::string path = (folder_.path() / name).string();
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path;
  }
  std::string port() const { return "COM" + std::to_string(valve_.comNumber()); }
  bool interrupted_ = false;
};

TEST_F(Files, SpecialFilesAreNeitherReadNorReplacedAndNothingIsSent) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  const std::string pipe = fifo("pipe");
  const std::string folder = (folder_.path() / "folder").string();
  fs::create_directory(folder);
  const std::string link = (folder_.path() / "link").string();
  fs::create_symlink(pipe, link);
  const std::string csv = (folder_.path() / "ok.csv").string();
  FifoGuard guard({pipe});

  struct Case {
    std::vector<std::string> args;  // "@" stands for the special file
  } cases[] = {
      {{"read", "--cfg", "@"}}, {{"trace", "--csv", "@"}},  {{"trace", "--csv", csv, "--png", "@"}},
      {{"report", "@"}},        {{"status", "--csv", "@"}}, {{"write", "@"}},
      {{"load", "--cfg", "@"}},
  };
  for (const std::string& special : {pipe, folder, link}) {
    for (const Case& c : cases) {
      std::vector<std::string> args = c.args;
      std::replace(args.begin(), args.end(), std::string("@"), special);
      SCOPED_TRACE(args[0] + " " + args[1] + " " + special);
      valve_.clearRequests();
      const Result r = run(args);
      EXPECT_EQ(r.code, ExitFileError) << r.err;
      EXPECT_NE(r.err.find(special), std::string::npos) << r.err;
      EXPECT_TRUE(valve_.requests().empty());
      EXPECT_FALSE(fs::exists(csv));
    }
  }
  EXPECT_TRUE(IsFifo(pipe));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_symlink(link) && IsFifo(link));
  EXPECT_FALSE(guard.released);

  // The change log is read the same way.
  testing::ScopedEnvironment log("TARVELMUNDIX_CHANGELOG", pipe);
  const Result r = runAsTyped({"log"});
  EXPECT_EQ(r.code, ExitFileError);
  EXPECT_NE(r.err.find(pipe), std::string::npos) << r.err;
}

TEST_F(Files, InputsBeyondTheirLimitsAreRefusedBeforeAnythingIsSent) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  params::cfgfile::Images images{};
  const std::vector<std::uint8_t> good = params::cfgfile::Compose(images);
  struct Case {
    std::size_t size;
    const char* message;
  } cases[] = {
      {1541, "Błędna struktura pliku"}, {1544, "Błędna struktura pliku"},   {1547, "Błędna struktura pliku"},
      {1549, "Błędna struktura pliku"}, {100000, "Błędna struktura pliku"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string bytes(good.begin(), good.end());
    bytes.resize(c.size, '\0');
    const std::string path = file("cut.cfg", bytes);
    valve_.clearRequests();
    const Result r = run({"load", "--cfg", path});
    EXPECT_EQ(r.code, ExitFileError);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_TRUE(valve_.requests().empty());
  }
  // A JSON file of more than 1 MiB.
  const std::string big = file("big.json", "{\"parameters\": {}}" + std::string(std::size_t{1024} * 1024, ' '));
  const Result r = run({"write", big});
  EXPECT_EQ(r.code, ExitFileError);
  EXPECT_NE(r.err.find(big + ": too large"), std::string::npos) << r.err;
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(Files, AllOutputsOfACommandAreCheckedBeforeAnyIsWritten) {
  const std::string csv = file("t.csv", "kept");
  const std::string png = (folder_.path() / "nodir" / "t.png").string();
  const Result r = run({"trace", "--csv", csv, "--png", png});
  EXPECT_EQ(r.code, ExitFileError);
  EXPECT_NE(r.err.find(png), std::string::npos) << r.err;
  EXPECT_EQ(Slurp(csv), "kept");
  EXPECT_TRUE(valve_.requests().empty());
}

TEST_F(Files, APortThatCannotBeOpenedIsNamedWithItsReason) {
  const std::string pipe = fifo("pipe");
  const std::string plain = file("plain", "x");
  FifoGuard guard({pipe});
  struct Case {
    std::string target;  // of the port-map entry com5; empty: the valve's own port, held
    const char* reason;
  } cases[] = {
      {(folder_.path() / "gone").string(), "no such device"},
      {pipe, "not a serial port"},
      {plain, "not a serial port"},
      {"/dev/zero", "not a serial port"},
      {"", "another program holds the port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    std::string com = port();
    std::optional<platform::SerialHandle> holder;
    if (c.target.empty()) {
      holder = platform::OpenSerialDevice(valve_.server().slavePath());
      ASSERT_NE(*holder, platform::InvalidSerialHandle());
    } else {
      const fs::path entry = valve_.portsFolder() / "com5";
      fs::remove(entry);
      fs::create_symlink(c.target, entry);
      com = "COM5";
    }
    const Result r = runAsTyped({"info", "--port", com});
    if (holder) platform::CloseSerialDevice(*holder);
    EXPECT_EQ(r.code, ExitLinkFailure);
    EXPECT_NE(r.err.find("cannot open " + com), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_FALSE(guard.released);
  EXPECT_TRUE(IsFifo(pipe));
}

TEST_F(Files, ClosingThePortGivesUpItsExclusiveUse) {
  const platform::SerialHandle handle = platform::OpenSerialDevice(valve_.server().slavePath());
  ASSERT_NE(handle, platform::InvalidSerialHandle());
  platform::CloseSerialDevice(handle);
  // The pty stays (the simulator holds its other side), as a USB tty does.
  const int fd = ::open(valve_.server().slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = -1;
  ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  ::close(fd);
  EXPECT_EQ(exclusive, 0);
}

// A stream whose every write fails, as on /dev/full.
class FullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(Files, StandardOutputThatCannotBeWrittenFailsTheCommand) {
  testing::ScopedEnvironment password(PasswordVariable, "tvx2022");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"read", "--json", "--port", port()},
                                             {"info", "--port", port()},
                                             {"status", "--port", port()},
                                             {"status", "--watch", "0.05", "--port", port()},
                                             {"ports"},
                                             {"--help"}}) {
    SCOPED_TRACE(args[0]);
    FullBuffer full;
    std::ostream out(&full);
    stopAfterRows_ = 1000;  // the failed write, not the rows, ends the watch
    const Result r = runAsTyped(args, &out);
    EXPECT_EQ(r.code, ExitFileError);
    EXPECT_NE(r.err.find("cannot write standard output"), std::string::npos) << r.err;
  }
}

TEST_F(Files, CtrlCEndsACommandAtItsNextWait) {
  interrupted_ = true;
  struct Case {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"info"}, ExitInterrupted},
      {{"read"}, ExitInterrupted},
      {{"status"}, ExitInterrupted},
      {{"trace", "--csv", (folder_.path() / "t.csv").string()}, ExitInterrupted},
      {{"status", "--watch", "0.05"}, ExitDone},  // how a watch ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--port", port()});
    const Result r = runAsTyped(args);
    EXPECT_EQ(r.code, c.code) << r.err;
    if (c.code == ExitInterrupted) {
      EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(folder_.path() / "t.csv"));
}

TEST_F(Files, StatusColumnsAreFixedNumbersWithTheirUnitsInTheHeader) {
  const std::string csv = (folder_.path() / "status.csv").string();
  stopAfterRows_ = 2;
  ASSERT_EQ(run({"status", "--watch", "0.05", "--csv", csv}).code, ExitDone);
  valve_.model().setState(params::state::StopCode, 15);
  ASSERT_EQ(run({"status", "--watch", "0.05", "--csv", csv}).code, ExitDone);

  std::istringstream in(Slurp(csv));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char ch : line) {
      if (ch == '"') quoted = !quoted;
      else if (ch == ',' && !quoted) cells.push_back(std::exchange(cell, {}));
      else cell += ch;
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  ASSERT_EQ(rows.size(), 5u);
  const std::vector<std::string> header = rows[0];
  EXPECT_EQ(header[1], "Usupply_V");
  EXPECT_EQ(header[3], "Temperature_C");
  const std::regex number("-?[0-9]+(\\.[0-9]+)?");
  const std::size_t stopCode =
      static_cast<std::size_t>(std::find(header.begin(), header.end(), "StopCode") - header.begin());
  ASSERT_LT(stopCode, header.size());
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), header.size()) << i;
    for (std::size_t col = 1; col < header.size(); ++col) {
      if (header[col] == "StopInfo" || header[col] == "StopText") continue;
      EXPECT_TRUE(rows[i][col].empty() || std::regex_match(rows[i][col], number)) << header[col] << "=" << rows[i][col];
    }
    EXPECT_EQ(rows[i][stopCode], i <= 2 ? "" : "15");
    EXPECT_FALSE(rows[i][1].empty());
  }

  // A file with another header is not appended to.
  const std::string other = file("other.csv", "time,Usupply\n2020,24.00 V\n");
  const Result refused = run({"status", "--csv", other});
  EXPECT_EQ(refused.code, ExitFileError);
  EXPECT_NE(refused.err.find(other), std::string::npos) << refused.err;
  EXPECT_EQ(Slurp(other), "time,Usupply\n2020,24.00 V\n");

  // JSON: one object a line, with the same names.
  const Result json = run({"status", "--watch", "0.05", "--json"});
  ASSERT_EQ(json.code, ExitDone) << json.err;
  std::istringstream lines(json.out);
  int objects = 0;
  for (std::string line; std::getline(lines, line); ++objects) {
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    EXPECT_EQ(o.size(), static_cast<qsizetype>(header.size())) << line;
    EXPECT_TRUE(o.value("Usupply_V").isDouble()) << line;
    EXPECT_EQ(o.value("StopCode").toDouble(), 15) << line;
  }
  EXPECT_EQ(objects, 2);
  const Result info = run({"info", "--json"});
  ASSERT_EQ(info.code, ExitDone) << info.err;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(info.out)).object();
  EXPECT_TRUE(o.value("positions").isDouble()) << info.out;
  EXPECT_TRUE(o.value("lvdt").isBool()) << info.out;
  // The serial number as the window shows it: from level 1 on.
  EXPECT_FALSE(o.contains("serial_number")) << info.out;
  testing::ScopedEnvironment operatorLevel(PasswordVariable, "serwis");
  const Result level1 = run({"info", "--json"});
  EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(level1.out)).object().value("serial_number").isString())
      << level1.out;
}

}  // namespace
}  // namespace tvx::cli
