// The kit's registry keys, all in one place: the layout of both roots.
#pragma once

namespace gdl {

// The install folder (the key's default value); its "global" subkey holds
// the cable's port for every program.
inline constexpr char kRegKeyRoot[] = "Software\\Vandrel\\GDLKIT";
inline constexpr char kRegKeyGlobal[] = "Software\\Vandrel\\GDLKIT\\global";
// GDLEdit: the recent projects, the sample offer and the build automation.
inline constexpr char kRegKeyEdit[] = "Software\\Vandrel\\GDLKIT\\Edit";
inline constexpr char kRegKeyAutomation[] = "Software\\Vandrel\\GDLKIT\\Edit\\Options\\Automation";
// GDLMap: zoom, grid, symbols and the window's layout.
inline constexpr char kRegKeyMap[] = "Software\\Vandrel\\GDLKIT\\Map";
// GDLPlay: the set last played, its options, the known sets and saved codes.
inline constexpr char kRegKeyPlay[] = "Software\\Vandrel\\GDLKIT\\Play";
inline constexpr char kRegKeyPlayOptions[] = "Software\\Vandrel\\GDLKIT\\Play\\Options";
inline constexpr char kRegKeyLevelSets[] = "Software\\Vandrel\\GDLKIT\\Play\\LevelSets";
inline constexpr char kRegKeyPasswords[] = "Software\\Vandrel\\GDLKIT\\Play\\Passwords";

}  // namespace gdl
