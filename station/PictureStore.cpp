// Storing a captured picture (see PictureStore.h).
#include "station/PictureStore.h"

#include <vector>

#include "capture/HandOff.h"
#include "capture/StationSettings.h"
#include "imaging/ImageFile.h"
#include "imaging/JpegWriter.h"
#include "platform/system/AtomicFile.h"

namespace {

constexpr char kJpgSaveError[] = "Error in JPG file save";
constexpr char kBmpSaveError[] = "Error in BMP file save";

// `path` from the working folder when it is relative (an empty "Path" setting, say), so the
// path the host is told is the file written whatever the station's working folder.
std::filesystem::path Absolute(const std::filesystem::path& path) {
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    return failed ? path : absolute;
}

// The picture as the bytes of its file; empty when it cannot be encoded.
std::string FileBytes(const ImageRecord& picture, const PictureStoreRequest& request, bool jpeg) {
    if (!jpeg)
        return EncodeBmp24(picture);
    const std::vector<uint8_t> bytes = EncodeJpeg(picture.Image(), request.jpegQuality,
                                                  request.horizontalDpi, request.verticalDpi);
    return {bytes.begin(), bytes.end()};
}

// The one routine for the picture files.
PictureStoreOutcome WriteFile(const ImageRecord& picture, const PictureStoreRequest& request,
                              const std::filesystem::path& file, bool jpeg, mode_t mode) {
    PictureStoreOutcome outcome;
    const std::string bytes = FileBytes(picture, request, jpeg);
    outcome.reason = picture.IsAllocated() ? "cannot encode the picture" : "no picture to write";
    if (!bytes.empty() && sys::ReplaceFileAtomically(file, bytes, mode, outcome.reason)) {
        outcome.stored = true;
        outcome.path = file.string();
        outcome.reason.clear();
    }
    return outcome;
}

}  // namespace

PictureStoreOutcome StorePicture(const ImageRecord& picture, const PictureStoreRequest& request) {
    PictureStoreOutcome outcome;
    switch (request.destination) {
        case destination::kJpegFile:
        case destination::kBmpFile: {
            const bool jpeg = request.destination == destination::kJpegFile;
            outcome.reason = "no file name";
            if (request.file && !request.file->empty() && request.file->has_filename()) {
                outcome = WriteFile(picture, request, Absolute(*request.file), jpeg,
                                    sys::kOrdinaryFileMode);
            }
            if (!outcome.stored)
                outcome.message = jpeg ? kJpgSaveError : kBmpSaveError;
            return outcome;
        }
        case destination::kHostHandOff:
            // Without a folder of its own there is nowhere safe to put the picture. The folder
            // is made again when it has gone since start-up, and checked again, as anything may
            // have happened to it meanwhile.
            outcome.reason = "no hand-off folder";
            if (!request.handOffFolder.empty() &&
                PrepareHandOffFolder(request.handOffFolder, outcome.reason)) {
                outcome = WriteFile(picture, request,
                                    std::filesystem::path(request.handOffFolder) / kHandOffFileName,
                                    false, sys::kPrivateFileMode);
            }
            if (!outcome.stored)
                outcome.message = kBmpSaveError;
            return outcome;
        default:
            // Whether another program took the picture is not known; it is on the clipboard.
            picture.CopyToClipboard();
            outcome.stored = true;
            return outcome;
    }
}
