// The access levels at which the main window shows and lets a person change
// the items of the parameter set (the access tags of their fields), for the
// tools that list the set without the window.
#pragma once

#include <string_view>

namespace tvx::params {

// "configuration" names the configuration word.
inline constexpr const char* ConfigurationName = "configuration";
// The level at which the window lets a person change an item: its field must
// be shown and usable.
int EditLevel(std::string_view name);
// The level at which the window shows it.
int ShowLevel(std::string_view name);

}  // namespace tvx::params
