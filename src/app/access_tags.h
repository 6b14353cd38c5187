// The access tags of the main window's controls and the level a person needs
// to operate one of them. The window assigns its tags from here; the command
// line tool asks here what level an operation needs, so both grant the same.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

namespace tvx::app {

struct TagGroup {
  std::uint16_t tag;
  std::initializer_list<const char*> names;
};

// Every control not listed keeps tag 0 or is of a kind the apply step leaves alone.
std::span<const TagGroup> MainWindowTags();

// The tag of a control of the main window or of the options dialog, if it has one.
std::optional<std::uint16_t> ControlTag(std::string_view name);

// The lowest access level at which a control with this tag is shown, and at
// which it is shown and usable.
int ShownLevel(std::uint16_t tag);
int OperateLevel(std::uint16_t tag);

}  // namespace tvx::app
