// `tarvelmundix-cli report` against the simulated valve: the PDF's pages and
// texts (read back with pdftotext when it is installed), the refusal below
// access level 2, and a file that cannot be written.
#include "cli/cli.h"
#include "status/status_text.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;

class ReportCommand : public ::testing::Test {
 protected:
  struct Result {
    int code;
    std::string out, err;
  };
  Result run(const std::string& path) {
    std::ostringstream out, err;
    Io io{out, err};
    const int code = cli::Run({"report", path, "--port", "COM" + std::to_string(valve_.comNumber())}, io);
    return {code, out.str(), err.str()};
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<fs::path> Files() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(folder_.path())) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  testing::SimulatedValve valve_;
  testing::TempFolder folder_;
};

TEST_F(ReportCommand, WritesTheReportWithIdentitySetStatusChartAndSignatures) {
  testing::ScopedEnvironment password(PasswordVariable, "technik");  // level 2
  // A history of its own: the visit's changes of other tests would add pages.
  testing::ScopedEnvironment history("TARVELMUNDIX_HISTORY", (folder_.path() / "history.sqlite").string());
  valve_.model().setStop(20, 1.5f);
  const fs::path pdf = folder_.path() / "protokol.pdf";
  const Result r = run(pdf.string());
  ASSERT_EQ(r.code, ExitDone) << r.err;
  const std::string bytes = Read(pdf);
  ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
  const std::vector<std::string> log = valve_.requests();
  EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& q) { return q[0] == 'W'; }));

  if (std::system("pdftotext -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const fs::path text = folder_.path() / "protokol.txt";
  ASSERT_EQ(std::system(("pdftotext -enc UTF-8 '" + pdf.string() + "' '" + text.string() + "'").c_str()), 0);
  const std::string words = Read(text);
  // pdftotext ends every page with a form feed.
  EXPECT_EQ(std::count(words.begin(), words.end(), '\f'), 3);
  for (const std::string& expected :
       {std::string("PROTOKÓŁ URUCHOMIENIA ROZDZIELACZA"), valve_.model().serialNumber(), valve_.model().deviceType(),
        std::string("Firmware: V1.4"), std::string("Aktywny profil ustawień"), std::string("STOP 20"),
        std::string(status::StopCodeText(20)), std::string("Częstotliwość PWM"), std::string("Korekty i kalibracja"),
        std::string("Przebieg regulacji"), std::string("Wykonał"), std::string("Odebrał"),
        std::string("Strona 3 z 3")}) {
    EXPECT_NE(words.find(expected), std::string::npos) << expected;
  }
  // Level 2 shows no held word of the service dialogs.
  EXPECT_EQ(words.find("Ustawienia serwisowe"), std::string::npos);
}

TEST_F(ReportCommand, ARefusedOrUnwritableReportLeavesNoFile) {
  const fs::path blocker = folder_.path() / "plik";
  std::ofstream(blocker) << "x";
  fs::create_directory(folder_.path() / "katalog");
  struct Case {
    const char* password;
    fs::path path;
    int code;
    bool sends;
  } cases[] = {
      {"serwis", folder_.path() / "protokol.pdf", ExitRefused, false},  // level 1
      // Checked before the valve is read.
      {"technik", blocker / "protokol.pdf", ExitFileError, false},    // the folder is a file
      {"technik", folder_.path() / "katalog", ExitFileError, false},  // the name is a folder
  };
  const std::vector<fs::path> before = Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    testing::ScopedEnvironment password(PasswordVariable, c.password);
    valve_.clearRequests();
    const Result r = run(c.path.string());
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(!valve_.requests().empty(), c.sends);
    if (c.code == ExitFileError) {
      EXPECT_NE(r.err.find(c.path.string()), std::string::npos) << r.err;
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(Read(blocker), "x");
  }
}

}  // namespace
}  // namespace tvx::cli
