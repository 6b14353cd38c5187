#include "app/component_listing.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tvx::app {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

TEST(ComponentListing, FlagNamesFollowBits2To0) {
  EXPECT_EQ(TagFlagNames(0), "0");
  EXPECT_EQ(TagFlagNames(0x0004), "USB_ENABLED");
  EXPECT_EQ(TagFlagNames(0x0002), "COIL_B_TAG_ENB");
  EXPECT_EQ(TagFlagNames(0x0001), "COIL_B_TAG_VIS");
  EXPECT_EQ(TagFlagNames(0x0006), "USB_ENABLED + COIL_B_TAG_ENB");
  EXPECT_EQ(TagFlagNames(0x0005), "USB_ENABLED + COIL_B_TAG_VIS");
  EXPECT_EQ(TagFlagNames(0x0003), "COIL_B_TAG_ENB + COIL_B_TAG_VIS");
  EXPECT_EQ(TagFlagNames(0x0217), "USB_ENABLED + COIL_B_TAG_ENB + COIL_B_TAG_VIS");
  // Other bits give no text at all.
  EXPECT_EQ(TagFlagNames(512), "");
  EXPECT_EQ(TagFlagNames(0x0048), "");
}

TEST(ComponentListing, WholeListingByteForByte) {
  const std::vector<ListedComponent> components = {
      {"TShape", "PortState", 0},       {"TButton", "ReadParameters", 4},  {"TLabel", "Label33", 512},
      {"TEdit", "Coil_B_Imin", 0x0101}, {"TButton", "LinTable_B", 0x0215}, {"TGroupBox", "LVDT_CrossWire_", 0x3308},
  };
  // NOLINTBEGIN(bugprone-suspicious-missing-comma): each rule is one line, in two literals.
  const std::vector<std::string> expected = {
      "{  1 TShape     0} PortState      .Tag := 0;",
      "{  2 TButton    4} ReadParameters .Tag := USB_ENABLED;",
      "{  3 TLabel   512} Label33        .Tag := ;",
      "{  4 TEdit    257} Coil_B_Imin    .Tag := COIL_B_TAG_VIS;",
      "{  5 TButton  533} LinTable_B     .Tag := USB_ENABLED + COIL_B_TAG_VIS;",
      "{  6 TGroupBox13064} LVDT_CrossWire_.Tag := ;",
      "",
      "if Components[i].ClassType = TButton   then (Components[i] as TButton  ).Visible := AccessLevel >= "
      "(Components[i].Tag shr 4) else",
      "if Components[i].ClassType = TEdit     then (Components[i] as TEdit    ).Visible := AccessLevel >= "
      "(Components[i].Tag shr 4) else",
      "if Components[i].ClassType = TGroupBox then (Components[i] as TGroupBox).Visible := AccessLevel >= "
      "(Components[i].Tag shr 4) else",
      "if Components[i].ClassType = TLabel    then (Components[i] as TLabel   ).Visible := AccessLevel >= "
      "(Components[i].Tag shr 4) else",
      "if Components[i].ClassType = TShape    then (Components[i] as TShape   ).Visible := AccessLevel >= "
      "(Components[i].Tag shr 4) else",
      "",
      "if Components[i].ClassType = TButton   then (Components[i] as TButton  ).Enabled := AccessLevel >= "
      "(Components[i].Tag shr 8) else",
      "if Components[i].ClassType = TEdit     then (Components[i] as TEdit    ).Enabled := AccessLevel >= "
      "(Components[i].Tag shr 8) else",
      "if Components[i].ClassType = TGroupBox then (Components[i] as TGroupBox).Enabled := AccessLevel >= "
      "(Components[i].Tag shr 8) else",
      "if Components[i].ClassType = TLabel    then (Components[i] as TLabel   ).Enabled := AccessLevel >= "
      "(Components[i].Tag shr 8) else",
      "if Components[i].ClassType = TShape    then (Components[i] as TShape   ).Enabled := AccessLevel >= "
      "(Components[i].Tag shr 8) else",
  };
  // NOLINTEND(bugprone-suspicious-missing-comma)
  EXPECT_EQ(Lines(ComponentListing(components)), expected);
}

TEST(ComponentListing, NumbersKeepTheirWidthUpTo999AndGrowBeyond) {
  std::vector<ListedComponent> many(1000, {"TLabel", "L", 0});
  const std::vector<std::string> lines = Lines(ComponentListing(many));
  EXPECT_EQ(lines[8], "{  9 TLabel  0} L.Tag := 0;");
  EXPECT_EQ(lines[998], "{999 TLabel  0} L.Tag := 0;");
  EXPECT_EQ(lines[999], "{1000 TLabel  0} L.Tag := 0;");
}

TEST(ComponentListing, ClassesSortWithoutRegardToCase) {
  const std::string text = ComponentListing({{"Tb", "x", 0}, {"TA", "y", 0}, {"Tc", "z", 0}}, "\n");
  EXPECT_LT(text.find("= TA "), text.find("= Tb "));
  EXPECT_LT(text.find("= Tb "), text.find("= Tc "));
}

TEST(ComponentListing, FileNameCarriesTheDateWithoutPathSeparators) {
  EXPECT_EQ(ComponentListFileName("08.12.2024"), "ComponentList 08.12.2024.txt");
  EXPECT_EQ(ComponentListFileName("12/8/24"), "ComponentList 12-8-24.txt");
}

}  // namespace
}  // namespace tvx::app
