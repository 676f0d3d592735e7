// --version and --help. ZELVOCAM_VERSION is defined for this file alone by the build, from the
// project's version, so a new release recompiles one file.
#include "platform/system/ProgramInfo.h"

#include <cstring>

std::string_view ProgramVersion() {
    return ZELVOCAM_VERSION;
}

std::optional<int> AnswerProgramInfo(int argc, const char* const* argv, std::string_view program,
                                     std::string_view help, std::ostream& out) {
    if (argc < 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0)
        out << program << ' ' << ProgramVersion() << '\n';
    else if (std::strcmp(argv[1], "--help") == 0)
        out << help;
    else
        return std::nullopt;
    out.flush();
    return out ? 0 : 1;
}
