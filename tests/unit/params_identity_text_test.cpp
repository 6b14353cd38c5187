// Firmware label text and its diagnostic hint.
#include <gtest/gtest.h>

#include "params/identity_text.h"

namespace tvx::params {
namespace {

TEST(ParamsIdentity, FirmwareText) {
  const struct {
    std::uint32_t word;
    const char* text;
  } cases[] = {
      {14031122u, "Firmware: V1.4   03-11-2022"},
      {123031122u, "Firmware: V12.3   03-11-2022"},
      {4294967295u, "Firmware: V429.4   96-72-2095"},
      {1234567u, "Firmware: V.1   23-45-2067"},
      // Fewer than seven digits: zeros in front, same form.
      {123456u, "Firmware: V.0   12-34-2056"},
      {0u, "Firmware: V.0   00-00-2000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FirmwareText(c.word), c.text) << c.word;
}

TEST(ParamsIdentity, DiagnosticHintListsTheHistoryUpToTheFirstZero) {
  std::array<std::uint8_t, 256> history{};
  EXPECT_EQ(DiagnosticHint(850, history), " Diagnostic_Max - 850us ");
  history[0] = 17;
  history[1] = 20;
  history[3] = 5;  // behind the first 0: not listed
  EXPECT_EQ(DiagnosticHint(850, history), " Diagnostic_Max - 850us \n Kod błędu nr 1 - 17\n Kod błędu nr 2 - 20");
  history.fill(255);
  const std::string full = DiagnosticHint(4294967295u, history);
  EXPECT_EQ(std::count(full.begin(), full.end(), '\n'), 256);
  EXPECT_NE(full.find(" Kod błędu nr 256 - 255"), std::string::npos);
  EXPECT_EQ(full.rfind(" Diagnostic_Max - 4294967295us ", 0), 0u);
}

}  // namespace
}  // namespace tvx::params
