#include "app/component_listing.h"

#include "ui/access_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tvx::app {

namespace {

std::string Padding(std::size_t used, std::size_t width) { return std::string(width > used ? width - used : 0, ' '); }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::string TagFlagNames(std::uint16_t tag) {
  if (tag == 0) return "0";
  std::string text;
  using namespace access;
  if (tag & USB_ENABLED) text += "USB_ENABLED";
  if (tag & COIL_B_TAG_ENB) {
    if (tag & USB_ENABLED) text += " + ";
    text += "COIL_B_TAG_ENB";
  }
  if (tag & COIL_B_TAG_VIS) {
    if (tag & (USB_ENABLED | COIL_B_TAG_ENB)) text += " + ";
    text += "COIL_B_TAG_VIS";
  }
  return text;
}

std::string ComponentListing(const std::vector<ListedComponent>& components, const std::string& lineEnd) {
  std::size_t nameWidth = 0;
  std::size_t classWidth = 0;
  std::vector<std::string> classes;
  for (const ListedComponent& c : components) {
    nameWidth = std::max(nameWidth, c.name.size());
    classWidth = std::max(classWidth, c.className.size());
    if (std::find(classes.begin(), classes.end(), c.className) == classes.end()) classes.push_back(c.className);
  }
  std::stable_sort(classes.begin(), classes.end(), LessIgnoringCase);

  std::string out;
  char number[32];
  int i = 1;
  for (const ListedComponent& c : components) {
    out += "{";
    std::snprintf(number, sizeof number, "%3.0d", i++);
    out += number;
    out += " " + c.className + Padding(c.className.size(), classWidth);
    std::snprintf(number, sizeof number, "%3d", static_cast<int>(c.tag));
    out += number;
    out += "} " + c.name + Padding(c.name.size(), nameWidth) + ".Tag := " + TagFlagNames(c.tag) + ";" + lineEnd;
  }
  out += lineEnd;
  for (const std::string& cls : classes) {
    const std::string pad = Padding(cls.size(), classWidth);
    out += "if Components[i].ClassType = " + cls + pad + " then (Components[i] as " + cls + pad +
           ").Visible := AccessLevel >= (Components[i].Tag shr 4) else" + lineEnd;
  }
  out += lineEnd;
  for (const std::string& cls : classes) {
    const std::string pad = Padding(cls.size(), classWidth);
    out += "if Components[i].ClassType = " + cls + pad + " then (Components[i] as " + cls + pad +
           ").Enabled := AccessLevel >= (Components[i].Tag shr 8) else" + lineEnd;
  }
  return out;
}

std::string ComponentListFileName(const std::string& shortDate) {
  std::string date = shortDate;
  for (char& ch : date) {
    if (ch == '/' || ch == '\\' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' || ch == '>' ||
        ch == '|')
      ch = '-';
  }
  return "ComponentList " + date + ".txt";
}

}  // namespace tvx::app
