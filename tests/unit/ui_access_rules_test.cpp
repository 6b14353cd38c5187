#include "ui/access_rules.h"

#include <gtest/gtest.h>

namespace tvx::access {
namespace {

States At(int level) {
  States s;
  s.accessLevel = level;
  return s;
}

TEST(AccessRules, LevelsComeFromTheTwoNibbles) {
  EXPECT_EQ(DisplayLevel(0x3308), 3);
  EXPECT_EQ(UseLevel(0x3308), 3);
  EXPECT_EQ(DisplayLevel(0x1000), 0);
  EXPECT_EQ(UseLevel(0x1000), 1);
  EXPECT_EQ(DisplayLevel(0x0404), 4);
  EXPECT_EQ(UseLevel(0x0404), 0);
}

TEST(AccessRules, ControlIsShownFromItsDisplayLevel) {
  EXPECT_FALSE(IsShown(0x0100, At(0)));  // the parameter group at level 0
  EXPECT_TRUE(IsShown(0x0100, At(1)));
  EXPECT_FALSE(IsShown(0x0400, At(3)));
  EXPECT_TRUE(IsShown(0x0400, At(4)));
  // Shown at every level, usable from level 1 or 2.
  EXPECT_TRUE(IsShown(0x1000, At(0)));
  EXPECT_FALSE(IsUsable(0x1000, At(0)));
  EXPECT_TRUE(IsUsable(0x1000, At(1)));
  EXPECT_FALSE(IsUsable(0x2000, At(1)));
  EXPECT_TRUE(IsUsable(0x2000, At(2)));
}

TEST(AccessRules, PortClosedGreysConnectionControlsButKeepsThemShown) {
  States s = At(0);
  EXPECT_TRUE(IsShown(0x0004, s));
  EXPECT_FALSE(IsUsable(0x0004, s));
  s.portOpen = true;
  EXPECT_TRUE(IsUsable(0x0004, s));
}

TEST(AccessRules, TwoPositionValveHidesBit0AndGreysBit1) {
  States s = At(2);
  s.twoSolenoids = false;
  EXPECT_FALSE(IsShown(0x0101, s));  // Coil_B_Imin
  EXPECT_TRUE(IsShown(0x0202, s));   // Coil_B_Set
  EXPECT_FALSE(IsUsable(0x0202, s));
  s.twoSolenoids = true;
  EXPECT_TRUE(IsShown(0x0101, s));
  EXPECT_TRUE(IsUsable(0x0202, s));
}

TEST(AccessRules, LvdtBitsSelectOneOfTheGainFields) {
  States s = At(1);
  s.lvdt = true;
  EXPECT_TRUE(IsUsable(0x0108, s));   // Coil_A_GainL
  EXPECT_FALSE(IsUsable(0x0110, s));  // Coil_A_GainI
  s.lvdt = false;
  EXPECT_FALSE(IsUsable(0x0108, s));
  EXPECT_TRUE(IsUsable(0x0110, s));
}

TEST(AccessRules, SendSetValueNeedsPortAndRemoteControl) {
  States s = At(0);
  for (bool port : {false, true}) {
    for (bool remote : {false, true}) {
      s.portOpen = port;
      s.remoteControl = remote;
      EXPECT_EQ(IsUsable(0x0024, s), port && remote) << port << remote;
    }
  }
}

TEST(AccessRules, StateBitAndUnmanagedMarker) {
  // Bit 6 is a configuration label's own state, not an access condition.
  EXPECT_TRUE(IsShown(0x0040, At(0)));
  EXPECT_TRUE(IsUsable(0x0040, At(0)));
  EXPECT_TRUE(IsManaged(0x0040));
  EXPECT_FALSE(IsManaged(0x0080));
  EXPECT_TRUE(IsManaged(0x0081));  // only the whole value 0x0080 is left alone
}

TEST(AccessRules, ApplyKindsFollowTheComponentClass) {
  for (const char* c : {"TButton", "TBitBtn", "TSpeedButton", "TCheckBox", "TComboBox", "TEdit", "TGroupBox", "TLabel",
                        "TPageControl", "TPanel", "TProgressBar", "TRadioButton", "TShape", "TTrackBar"})
    EXPECT_EQ(KindOfClass(c), ApplyKind::Control) << c;
  EXPECT_EQ(KindOfClass("TMenuItem"), ApplyKind::MenuItem);
  for (const char* c : {"TImage", "TTabSheet", "TMemo", "TTimer", "TSaveDialog", "TPopupMenu"})
    EXPECT_EQ(KindOfClass(c), ApplyKind::Untouched) << c;
}

}  // namespace
}  // namespace tvx::access
