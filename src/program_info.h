// The program's fixed identity texts.
#pragma once

namespace tvx {

inline constexpr const char* ApplicationTitle = "Tarvelmundix";
inline constexpr const char* LoginTitle = "Logowanie";
inline constexpr const char* ProgramName = "Tarvelmundix rozdzielaczy";
inline constexpr const char* SoftwareVersion = "V1.4";
inline constexpr const char* SoftwareDate = "03-11-2022";

// "Software: V1.4" + "+ " in detail mode or three blanks + "03-11-2022".
const char* SoftwareLabel(bool detailMode);

}  // namespace tvx
