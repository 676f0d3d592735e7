// Picture file names (see PictureNames.h).
#include "capture/PictureNames.h"

#include <algorithm>

#include "capture/StationSettings.h"

namespace {

// Where the file name (the last path component) starts.
size_t FileNameStart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

bool IsControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string_view PictureExtension(int captureType) {
    switch (captureType) {
        case destination::kJpegFile:
            return ".JPG";
        case destination::kBmpFile:
            return ".BMP";
        default:
            return "";
    }
}

std::string BmpNameForFixedName(std::string_view fixedName) {
    const size_t nameStart = FileNameStart(fixedName);
    const size_t dot = fixedName.rfind('.');
    // A dot before the file name belongs to a folder; one opening the name marks a hidden file.
    const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
    std::string bmp(hasExtension ? fixedName.substr(0, dot) : fixedName);
    bmp += ".BMP";
    return bmp;
}

std::optional<std::string> FixedPictureFile(int captureType, std::string_view fixedName) {
    if (fixedName.empty() || fixedName.back() == '/')
        return std::nullopt;
    if (captureType == destination::kJpegFile)
        return std::string(fixedName);
    return BmpNameForFixedName(fixedName);
}

std::string RemoveExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string_view TypedFileNameProblem(std::string_view typed, int captureType) {
    if (typed.find('/') != std::string_view::npos)
        return "A file name cannot contain \"/\".";
    if (std::any_of(typed.begin(), typed.end(), IsControlCharacter))
        return "A file name cannot contain control characters.";
    const std::string name = RemoveExtension(typed);
    if (name.empty())
        return "Please enter a name before the extension.";
    if (name == "." || name == "..")
        return "\".\" and \"..\" cannot be used as file names.";
    if (name.size() + PictureExtension(captureType).size() > kMaxFileNameBytes)
        return "The file name is too long.";
    return {};
}

std::string JoinFolderAndName(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += fileName;
    return path;
}

std::string FolderOfFile(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}