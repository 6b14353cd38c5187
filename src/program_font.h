// The program's font, shared by the windows and what the command line tool
// draws with the windows' code (the chart of the commissioning report).
#pragma once

#include <QFont>
#include <QString>

namespace tvx {

// Liberation Sans (Debian's fonts-liberation2, which the package depends on)
// has the advance widths of Arial, so on Windows Arial stands in for it and
// the texts take the same room on both systems. In pixels, so that the texts
// keep to the pixel layout whatever the screen's dpi setting.
#ifdef Q_OS_WIN
inline constexpr const char* ProgramFontFamily = "Arial";
#else
inline constexpr const char* ProgramFontFamily = "Liberation Sans";
#endif
inline constexpr int ProgramFontPixels = 11;
inline QFont ProgramFont() {
  QFont font(QString::fromLatin1(ProgramFontFamily));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(ProgramFontPixels);
  return font;
}

}  // namespace tvx
