// The station's private folder for its socket and lock: $XDG_RUNTIME_DIR/zelvocam/, or, without
// XDG_RUNTIME_DIR, $TMPDIR/zelvocam-UID/ (/tmp/zelvocam-UID/ when TMPDIR is unset too), so
// that one station per user holds even in a session that provides no runtime folder.
//
// Whoever can create files there can pose as the station or hold its lock, so the folder must
// be the user's own: created 0700 when missing, and otherwise a real directory (not a
// symlink) owned by this user with no access for anybody else. In a shared /tmp another user
// may have made the name first; the folder is then refused, never used.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace hostlink {

// The folder, without a trailing "/". `runtimeDir` is the value of XDG_RUNTIME_DIR and
// `tmpDir` that of TMPDIR (nullptr or empty when unset).
std::string StationFolder(const char* runtimeDir, const char* tmpDir);

// The folder with a trailing "/", or nothing with a one-line reason in `error`.
std::optional<std::string> PrepareRuntimeFolder(const char* runtimeDir, std::string& error,
                                                const char* tmpDir = std::getenv("TMPDIR"));

// Where a host finds the station's socket. Only looks, creates nothing.
std::optional<std::string> StationSocketPath(const char* runtimeDir, std::string& error,
                                             const char* tmpDir = std::getenv("TMPDIR"));

}  // namespace hostlink
