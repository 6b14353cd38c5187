#include "app/usb_port_match.h"

#include <gtest/gtest.h>

namespace tvx::app {
namespace {

std::vector<std::string> ComEntries() {
  std::vector<std::string> entries;
  for (int n = 1; n <= 16; ++n) entries.push_back("COM" + std::to_string(n));
  return entries;
}

TEST(UsbPortMatch, ExactNameMarksItsEntry) {
  EXPECT_EQ(FindUsbPortEntry(ComEntries(), std::string("COM3")), 2);
  EXPECT_EQ(FindUsbPortEntry(ComEntries(), std::string("COM16")), 15);
  EXPECT_EQ(FindUsbPortEntry(ComEntries(), std::string("COM1")), 0);
}

TEST(UsbPortMatch, AnythingButTheExactTextMatchesNothing) {
  for (const char* name : {"com3", "COM3 ", " COM3", "COM03", "COM17", "COM0", "", "XYZ"})
    EXPECT_EQ(FindUsbPortEntry(ComEntries(), std::string(name)), -1) << name;
  EXPECT_EQ(FindUsbPortEntry(ComEntries(), std::nullopt), -1);
}

TEST(UsbPortMatch, MarkedEntryNoLongerMatches) {
  std::vector<std::string> entries = ComEntries();
  entries[2] += UsbEntrySuffix;
  EXPECT_FALSE(IsUsbPort(entries[2], std::string("COM3")));
}

}  // namespace
}  // namespace tvx::app
