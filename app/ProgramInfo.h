#pragma once
// What the program says about itself: its name (also the application's
// title), its version, its help file and where its makers can be reached.
namespace velmora {

inline constexpr const char *kProgramName = "Velmora";
inline constexpr const char *kProgramVersion = "3.00";
inline constexpr const char *kHelpFileName = "help.chm";
inline constexpr const char *kWebSite = "https://velmora.example.org/";
inline constexpr const char *kMailAddress = "support@velmora.example.org";

}  // namespace velmora
