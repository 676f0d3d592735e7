// The station's private folder for its socket and lock: $XDG_RUNTIME_DIR/zelvocam/.
//
// Whoever can create files there can pose as the station or hold its lock, so the folder must
// be the user's own: created 0700 when missing, and otherwise a real directory (not a
// symlink) owned by this user with no access for anybody else.
#pragma once

#include <optional>
#include <string>

namespace hostlink {

// The folder with a trailing "/", or nothing with a one-line reason in `error`.
// `runtimeDir` is the value of XDG_RUNTIME_DIR (nullptr or empty when unset).
std::optional<std::string> PrepareRuntimeFolder(const char* runtimeDir, std::string& error);

// Where a host finds the station's socket: nothing (with a reason) when XDG_RUNTIME_DIR is
// unset. Only looks, creates nothing.
std::optional<std::string> StationSocketPath(const char* runtimeDir, std::string& error);

}  // namespace hostlink
