// Pure pieces of the service and remote dialogs: the LVDT calibration words,
// the LVDT_Setup press dispatch and the PWM percent view.
#include "link/comm_error.h"
#include "remote/manual_outputs.h"
#include "service/lvdt_calibration.h"
#include "service/xpid_setup.h"

#include <gtest/gtest.h>

#include <limits>

namespace tvx {
namespace {

using service::CalibrationMode;

TEST(CalibrationWords, ModeBasePlusAValidCurrent) {
  struct Case {
    CalibrationMode mode;
    const char* text;
    std::uint32_t word;
  };
  const Case cases[] = {
      {CalibrationMode::CoilB, "2", 0x453BA000u},        // 3002.0
      {CalibrationMode::CoilA, "1.5", 0x44FA3000u},      // 2001.5
      {CalibrationMode::NotActive, "1,5", 0x3FC00000u},  // 1.5
      {CalibrationMode::ZeroCurrent, "0", 0x447A0000u},  // 1000.0
      {CalibrationMode::CoilA, "999.5", 0x453B7800u},    // 2999.5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(service::CalibrationWord(c.mode, service::CalibrationCurrent(c.text)), c.word);
  }
  // A current that would reach into another mode, or none at all.
  for (const char* bad : {"1000", "2500", "-1", "1e3", "1e39", "", "abc", "---"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(service::CalibrationCurrent(bad), link::ConversionError);
    EXPECT_EQ(service::ClosingCalibrationWord(bad), 0u);
  }
  EXPECT_EQ(service::ClosingCalibrationWord("2"), 0x40000000u);
}

TEST(LvdtSetupDispatch, ButtonsAndModifiers) {
  using service::LvdtSetupAction;
  using service::PressedButton;
  struct Case {
    service::LvdtSetupPress press;
    std::optional<LvdtSetupAction> action;
  };
  const Case cases[] = {
      {{PressedButton::Left}, LvdtSetupAction::LinearisationTable},
      {{PressedButton::Left, true}, LvdtSetupAction::Calibration},
      {{PressedButton::Left, true, true}, LvdtSetupAction::LinearisationTable},  // Ctrl+Shift
      {{PressedButton::Left, true, false, true}, LvdtSetupAction::LinearisationTable},
      {{PressedButton::Left, true, false, false, true}, LvdtSetupAction::LinearisationTable},
      {{PressedButton::Right}, LvdtSetupAction::NearZeroPid},
      {{PressedButton::Middle, true}, LvdtSetupAction::NearZeroPid},
      {{PressedButton::Other}, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(service::LvdtSetupActionFor(cases[i].press), cases[i].action);
  }
}

TEST(PwmPercent, WholeNumbersAndAZeroMaximum) {
  EXPECT_EQ(remote::PwmPercent(2500, 5000), 50u);
  EXPECT_EQ(remote::PwmPercent(4999, 5000), 99u);
  EXPECT_EQ(remote::PwmFromPercent(33, 5000), 1650u);
  EXPECT_EQ(remote::PwmPercent(65535, 65535), 100u);
  EXPECT_EQ(remote::PwmPercent(300, 0), 0u);
  EXPECT_EQ(remote::PwmFromPercent(100, 0), 0u);
}

}  // namespace
}  // namespace tvx
