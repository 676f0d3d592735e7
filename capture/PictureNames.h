// Where a captured picture is written: the file from the fixed name in the settings or from a
// name the operator types at the capture, the folder kept for typed names, and the checks that
// keep a typed name a plain file name.
//
// Names are the station's own paths ('/' between folders), held as UTF-8 bytes. A typed name
// is a file name, never a path: it may not climb out of the chosen folder or name a folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The longest text the settings store reads back (a longer "Path" would not survive a restart).
inline constexpr size_t kMaxStoredPathBytes = 254;
// The longest file name (one path component) the file systems in use accept.
inline constexpr size_t kMaxFileNameBytes = 255;

// The extension a destination's files get: ".JPG" for 1, ".BMP" for 2, "" otherwise.
std::string_view PictureExtension(int captureType);

// The fixed name with its extension replaced by ".BMP": the last "." of the file name and
// everything after it give way to ".BMP"; a file name without "." keeps all of it. A "." in a
// folder name is not an extension, nor is the leading "." of a hidden file's name.
//   "/pics/face.old.jpg" -> "/pics/face.old.BMP"
//   "/data/my.pics/face" -> "/data/my.pics/face.BMP"
std::string BmpNameForFixedName(std::string_view fixedName);

// The file a capture with the fixed name writes: the JPEG file is the fixed name as it stands,
// every other file type the ".BMP" form. Nothing when the fixed name names no file (empty, or
// ending in '/'), so the store reports its failure instead of writing ".BMP" in some folder.
std::optional<std::string> FixedPictureFile(int captureType, std::string_view fixedName);

// A typed name without its extension: everything from its last "." on is removed; a name
// without "." is kept whole. "Visitor.jpeg" -> "Visitor", "a.b.c" -> "a.b".
std::string RemoveExtension(std::string_view name);

// Why a typed name (as typed, extension included) cannot name a file of `captureType`, or ""
// when it can. Refused: "/" anywhere, control characters, a name that is empty, "." or ".."
// once its extension is removed, and a file name (with the destination's extension) longer
// than the file system takes.
std::string_view TypedFileNameProblem(std::string_view typed, int captureType);

// The folder for typed names followed by the file name. The folder is meant to end with '/';
// one that does not (an edited setting) gets it, so the name never runs into the folder's.
std::string JoinFolderAndName(std::string_view folder, std::string_view fileName);

// The folder of a chosen file: everything after its last '/' removed, the '/' kept; "" when
// there is no '/'.
std::string FolderOfFile(std::string_view path);
