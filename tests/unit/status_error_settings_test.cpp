// The error-settings dialog's names and shown values.
#include "status/error_settings.h"

#include <gtest/gtest.h>

namespace tvx::status {
namespace {

TEST(ErrorSettings, BoxNamesAndShownLimits) {
  EXPECT_EQ(ErrorBoxName(0), "Err01");
  EXPECT_EQ(ErrorBoxName(8), "Err09");
  EXPECT_EQ(ErrorBoxName(9), "Err10");
  EXPECT_EQ(ErrorBoxName(31), "Err32");
  // No lower limit; the value is taken as unsigned.
  const std::pair<std::uint32_t, const char*> temperatures[] = {
      {40, "40"}, {125, "125"}, {200, "125"}, {0xFFFFFFFFu, "125"}, {0, "0"}};
  for (const auto& [word, text] : temperatures) EXPECT_EQ(TemperatureLimitText(word), text);
  EXPECT_EQ(StartDelayText(50), "50");
  EXPECT_EQ(StartDelayText(3000), "2500");
}

}  // namespace
}  // namespace tvx::status
