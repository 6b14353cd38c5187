// The maker's name and contact lines, shown in the About box and named as the
// provider of the driver information file.
#pragma once

namespace tvx::app {

inline constexpr const char* MakerCompany = "Tarvelmundix Hydraulika sp. z o.o.";
inline constexpr const char* MakerStreet = "ul. Zaworowa 14";
inline constexpr const char* MakerTown = "44-100 Gliwice";
inline constexpr const char* MakerPhone = "tel. +48 32 555 04 00";
inline constexpr const char* MakerMail = "serwis@tarvelmundix.example";

}  // namespace tvx::app
