// The pictures the program carries (logo, valve picture, icon).
#pragma once

namespace tvx::app {

// Registers the compiled-in resources; safe to call more than once.
void InitProgramResources();

inline constexpr const char* LogoResource = ":/tarvelmundix/logo.jpg";
inline constexpr const char* ValvePictureResource = ":/tarvelmundix/valve.png";
inline constexpr const char* IconResource = ":/tarvelmundix/tarvelmundix.png";

}  // namespace tvx::app
