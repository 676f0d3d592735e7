// The user's folders that default paths start from.
#pragma once

#include <filesystem>

namespace sys {

// The user's home folder: $HOME when it is an absolute path, otherwise the home folder of the
// user's account, otherwise "/". Every default path below the home folder (the settings
// folder, the default picture file and folder) starts here, so they always agree.
std::filesystem::path HomeFolder();

}  // namespace sys
