// The host hand-off file: where the station leaves each picture for the host application, and
// the registry value that tells the host where to look.
//
// The folder is the user's own data folder, $XDG_DATA_HOME/zelvocam (~/.local/share/zelvocam
// when the variable is unset or not an absolute path). It must be private, so no other user can
// read the pictures or plant a file there: a real folder (not a symbolic link) of this user with
// mode 0700.
#pragma once

#include <filesystem>
#include <string>

inline constexpr char kHandOffKey[] = "Software\\ZelvoCam Enhanced Zoom UM";
inline constexpr char kHandOffValue[] = "TempBitmapFile";
inline constexpr char kHandOffFileName[] = "ZelvoCam_Temp.bmp";

// The hand-off folder for the current environment.
std::filesystem::path HandOffFolder();

// Makes `folder` (and its missing parents) when it is missing and checks that it is private,
// taking access away from group and others when it has any. False with a one-line reason when
// it is not a folder of this user, or is a symbolic link: then no picture may go there.
bool PrepareHandOffFolder(const std::filesystem::path& folder, std::string& error);
