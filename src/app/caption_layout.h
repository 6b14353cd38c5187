// The main window's caption: the program title, a run of blanks, then the
// maker's notice, so that the notice sits near the right end of the caption bar.
#pragma once

#include <functional>
#include <string>

namespace tvx::app {

inline constexpr const char* CaptionTitle = " Tarvelmundix rozdzielaczy";
inline constexpr const char* CaptionNotice = "Tarvelmundix Hydraulika";
inline constexpr int CaptionMaxCharacters = 250;

// Number of characters (code points) of a UTF-8 text.
std::size_t CharacterCount(const std::string& utf8);

// For k = 1, 2, ...: title + k blanks + notice, until the measured width reaches
// (windowWidth - 4 * iconWidth) * 4 / 5 or the text is longer than 250 characters.
std::string LayOutCaption(const std::string& title, const std::string& notice, int windowWidth, int iconWidth,
                          const std::function<int(const std::string&)>& measure);

}  // namespace tvx::app
