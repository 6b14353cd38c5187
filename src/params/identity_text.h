// Texts of the valve's identity on the firmware label.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tvx::params {

// "Firmware: V" + major + "." + minor + three blanks + "dd-mm-20yy" from the
// firmware word (state register 30): the last six decimal digits are day,
// month and year, the digit before them the minor version, all digits before
// that the major version. 14031122 gives "Firmware: V1.4   03-11-2022". A word
// of fewer than seven digits is padded on the left with zeros to seven.
std::string FirmwareText(std::uint32_t word);

// The diagnostic hint of the firmware label: " Diagnostic_Max - " + the longest
// control cycle + "us ", then one line " Kod błędu nr " + i + " - " + code for
// each entry of the error history up to the first 0.
std::string DiagnosticHint(std::uint32_t diagnosticMax, const std::array<std::uint8_t, 256>& history);

// The valve's identity bytes (one byte per character, Latin-1) as UTF-8, up
// to the first NUL, control characters as blanks, trailing blanks removed.
std::string IdentityText(const std::string& bytes);

}  // namespace tvx::params
