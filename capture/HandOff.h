// The host hand-off file: where the station leaves each picture for the host application, and
// the registry value that tells the host where to look.
//
// The folder is the user's own data folder, $XDG_DATA_HOME/zelvocam (~/.local/share/zelvocam
// when the variable is unset or not an absolute path), created with mode 0700 so no other user
// can read the pictures or plant a file there.
#pragma once

#include <filesystem>

inline constexpr char kHandOffKey[] = "Software\\ZelvoCam Enhanced Zoom UM";
inline constexpr char kHandOffValue[] = "TempBitmapFile";
inline constexpr char kHandOffFileName[] = "ZelvoCam_Temp.bmp";

// The hand-off folder for the current environment.
std::filesystem::path HandOffFolder();
