// Storing a captured picture at its destination: the clipboard, a JPEG or BMP file, or the
// host's hand-off file. One call writes it and says how it went; choosing the file name (a
// dialog) and telling the operator and the host are the caller's.
//
// A picture file is written whole in place of what stood at its name (a symbolic link there is
// replaced, not written through). JPEG and BMP files are readable by others as far as the umask
// allows, since pictures go on to other programs; the hand-off file is private: the picture of
// a person, for this user's host only.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class ImageRecord;

struct PictureStoreRequest {
    int destination = 0;  // a destination:: value; values no page offers go to the clipboard
    // The JPEG or BMP file to write; nothing when the name names no file.
    std::optional<std::filesystem::path> file;
    std::string handOffFolder;  // empty when the station has none
    int jpegQuality = 75;
    int horizontalDpi = 0;  // the JPEG file's density, from the DPI settings themselves
    int verticalDpi = 0;
};

struct PictureStoreOutcome {
    bool stored = false;
    std::string path;               // the file written, absolute; empty for the clipboard
    const char* message = nullptr;  // the operator's box when the store failed
    std::string reason;             // why it failed, one line for the host
};

PictureStoreOutcome StorePicture(const ImageRecord& picture, const PictureStoreRequest& request);
