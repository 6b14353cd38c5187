#include "params/identity_text.h"

namespace tvx::params {

std::string FirmwareText(std::uint32_t word) {
  std::string d = std::to_string(word);
  if (d.size() < 7) d.insert(0, 7 - d.size(), '0');
  const std::size_t n = d.size();
  std::string text = "Firmware: V";
  text += d.substr(0, n - 7);  // major
  text += '.';
  text += d[n - 7];  // minor
  text += "   ";
  text += d.substr(n - 6, 2);  // day
  text += '-';
  text += d.substr(n - 4, 2);  // month
  text += "-20";
  text += d.substr(n - 2, 2);  // year
  return text;
}

std::string DiagnosticHint(std::uint32_t diagnosticMax, const std::array<std::uint8_t, 256>& history) {
  std::string hint = " Diagnostic_Max - " + std::to_string(diagnosticMax) + "us ";
  for (std::size_t i = 0; i < history.size() && history[i] != 0; ++i) {
    hint += "\n Kod błędu nr " + std::to_string(i + 1) + " - " + std::to_string(history[i]);
  }
  return hint;
}

std::string IdentityText(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == 0) break;
    if (c < 0x20) c = ' ';
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace tvx::params
