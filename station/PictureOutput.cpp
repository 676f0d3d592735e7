// Where a stored picture goes: the clipboard, a JPEG or BMP file, or the host hand-off file, by
// the capture destination; and, at start-up, the hand-off folder and the registry value that
// tells the host where the hand-off file is.
//
// Every store empties the picture, whether it succeeded or not. Only a store that succeeded
// counts as stored: the caller tells the host, with m_StoredPath, only then. A store that fails
// tells the host why before its message box waits for the operator; a name dialog the operator
// cancels tells nobody. Files are named by absolute paths, so the path the host is told is the
// file written whatever the station's working folder.
#include <cstdio>
#include <string>
#include <vector>

#include "capture/HandOff.h"
#include "imaging/ImageFile.h"
#include "imaging/JpegWriter.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/AtomicFile.h"
#include "platform/ui/Services.h"
#include "station/EnterFileName.h"
#include "station/MainDialog.h"

namespace {

constexpr char kJpgSaveError[] = "Error in JPG file save";
constexpr char kBmpSaveError[] = "Error in BMP file save";

// `path` from the working folder when it is relative (an empty "Path" setting, say).
std::filesystem::path Absolute(const std::string& path) {
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    return failed ? std::filesystem::path(path) : absolute;
}

}  // namespace

int CTRIPOD01Dlg::SaveCapturedImage() {
    m_StoredPath.clear();
    int result = 0;
    switch (m_CaptureType) {
        case destination::kJpegFile:
            result = StoreJpegFile();
            break;
        case destination::kBmpFile:
            result = StoreBmpFile();
            break;
        case destination::kHostHandOff:
            result = StoreHandOffFile();
            break;
        default:  // the clipboard, and the values no page offers
            result = StoreOnClipboard();
            break;
    }
    m_CaptureImage.Free();
    return result;
}

void CTRIPOD01Dlg::StoreCapturedImage() {
    if (SaveCapturedImage() >= 1 && m_CaptureStoredHook)
        m_CaptureStoredHook(m_StoredPath);
}

void CTRIPOD01Dlg::ReportStoreFailure(const char* message, const std::string& reason) {
    if (m_CaptureFailedHook)
        m_CaptureFailedHook(reason);
    ui::MessageBox(this, message);
}

int CTRIPOD01Dlg::StoreOnClipboard() {
    // Whether another program took the picture is not known; it is on the clipboard.
    m_CaptureImage.CopyToClipboard();
    m_StoredPath.clear();
    return 1;
}

// A picture file is written whole in place of what stood at its name (a symbolic link there
// is replaced, not written through), readable by others as far as the umask allows: pictures
// go on to other programs. Nothing is written without a file: the operator cancelled the name
// (no message, nothing stored) or the fixed name names no file (the save message).
int CTRIPOD01Dlg::StoreJpegFile() {
    const PictureFileChoice choice = ChoosePictureFile(this, *this, m_UserFileName);
    if (choice.outcome == PictureFileChoice::Outcome::kCancelled)
        return 0;
    std::string error = "no file name";
    if (choice.outcome == PictureFileChoice::Outcome::kWrite) {
        const std::filesystem::path file = Absolute(choice.path);
        // The file's density comes from the DPI settings themselves, not rounded back from the
        // picture's pixels per metre.
        const std::vector<uint8_t> bytes =
            EncodeJpeg(m_CaptureImage.Image(), m_CompressionFactor, m_HorizontalDPI, m_VerticalDPI);
        error = "cannot encode the picture";
        if (!bytes.empty() &&
            sys::ReplaceFileAtomically(file, bytes, sys::kOrdinaryFileMode, error)) {
            m_StoredPath = file.string();
            return 1;
        }
    }
    ReportStoreFailure(kJpgSaveError, error);
    return 0;
}

int CTRIPOD01Dlg::StoreBmpFile() {
    const PictureFileChoice choice = ChoosePictureFile(this, *this, m_UserFileName);
    if (choice.outcome == PictureFileChoice::Outcome::kCancelled)
        return 0;
    std::string error = "no file name";
    if (choice.outcome == PictureFileChoice::Outcome::kWrite) {
        const std::filesystem::path file = Absolute(choice.path);
        const int result = WriteImageFile(file, m_CaptureImage, kFileFormatBmp, 24, 0,
                                          sys::kOrdinaryFileMode, error);
        if (result >= 1) {
            m_StoredPath = file.string();
            return result;
        }
    }
    ReportStoreFailure(kBmpSaveError, error);
    return 0;
}

int CTRIPOD01Dlg::StoreHandOffFile() {
    std::string error = "no hand-off folder";
    // Without a folder of its own there is nowhere safe to put the picture. The folder is made
    // again when it has gone since start-up, and checked again, as anything may have happened
    // to it meanwhile.
    if (!m_HostFolder.empty() && PrepareHandOffFolder(m_HostFolder, error)) {
        const std::filesystem::path file = std::filesystem::path(m_HostFolder) / kHandOffFileName;
        // Private: the picture of a person, for this user's host only.
        const int result = WriteImageFile(file, m_CaptureImage, kFileFormatBmp, 24, 0,
                                          sys::kPrivateFileMode, error);
        if (result >= 1) {
            m_StoredPath = file.string();
            return result;
        }
    }
    ReportStoreFailure(kBmpSaveError, error);
    return 0;
}

int CTRIPOD01Dlg::PrepareHostHandOff() {
    m_HostFolder.clear();
    const std::filesystem::path folder = HandOffFolder();
    std::string error;
    if (!PrepareHandOffFolder(folder, error)) {
        // Nothing is published: a host must not be sent to a file that can never be written.
        std::fprintf(stderr, "zelvocam: no hand-off file for the host: %s\n", error.c_str());
        ui::MessageBox(nullptr, "Common Folder Not Found", "Error");
        return 1;
    }
    m_HostFolder = folder.string();
    RegistryKey key(kHandOffKey);
    key.SetText(kHandOffValue, (folder / kHandOffFileName).string());
    return 1;
}
