#include "app/caption_layout.h"

namespace tvx::app {

std::size_t CharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string LayOutCaption(const std::string& title, const std::string& notice, int windowWidth, int iconWidth,
                          const std::function<int(const std::string&)>& measure) {
  const int limit = (windowWidth - 4 * iconWidth) * 4 / 5;
  std::string blanks = " ";
  for (;;) {
    std::string caption = title + blanks + notice;
    if (measure(caption) >= limit || CharacterCount(caption) > CaptionMaxCharacters) return caption;
    blanks += ' ';
  }
}

}  // namespace tvx::app
