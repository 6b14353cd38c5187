// The developers' listing of a window's components and their access tags.
//
// One line per component, then one "Visible" and one "Enabled" line per class,
// in a Pascal-like form the electronics developers paste into their notes. The
// listing is written for people; the program never reads it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvx::app {

struct ListedComponent {
  std::string className;
  std::string name;
  std::uint16_t tag = 0;
};

// "0" for tag 0; otherwise USB_ENABLED, COIL_B_TAG_ENB, COIL_B_TAG_VIS for bits
// 2, 1 and 0, joined by " + ". Other bits give no text.
std::string TagFlagNames(std::uint16_t tag);

// The whole listing, each line ended by `lineEnd`.
std::string ComponentListing(const std::vector<ListedComponent>& components, const std::string& lineEnd = "\r\n");

// "ComponentList " + date + ".txt", with characters that cannot stand in a file
// name (a short date may contain "/") replaced by "-".
std::string ComponentListFileName(const std::string& shortDate);

}  // namespace tvx::app
