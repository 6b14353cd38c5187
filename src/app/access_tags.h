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

// Whether the window shows a component at `level` with one or two solenoids
// (a component without a managed tag always).
bool WindowShows(std::string_view name, int level, bool twoSolenoids);

// The items of the parameter set as the tools that list it without the window
// see them (the command line, the report). "configuration" names the
// configuration word as a whole.
inline constexpr const char* ConfigurationName = "configuration";
// The level at which the window lets a person change an item: its field must
// be shown and usable.
int EditLevel(std::string_view name);
// Held words and flags are changed by the service dialogs.
inline constexpr int HeldEditLevel = 3;
// The level at which the window shows it.
int ShowLevel(std::string_view name);
// Whether the window shows an item at `level`, as a predicate.
inline auto ShownAtLevel(int level) {
  return [level](std::string_view name) { return ShowLevel(name) <= level; };
}

}  // namespace tvx::app
