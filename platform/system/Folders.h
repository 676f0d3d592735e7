// The user's folders that default paths start from.
#pragma once

#include <filesystem>

namespace sys {

// The user's home folder: $HOME when it is an absolute path, otherwise the home folder of the
// user's account, otherwise "/". Every default path below the home folder (the settings
// folder, the default picture file and folder) starts here, so they always agree.
std::filesystem::path HomeFolder();

// A base folder of the desktop's folder layout: the environment variable `variable` when it
// holds an absolute path, otherwise `underHome` below the home folder
// (XdgFolder("XDG_CONFIG_HOME", ".config")).
std::filesystem::path XdgFolder(const char* variable, const char* underHome);

}  // namespace sys
