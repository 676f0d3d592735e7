// Storing the captured picture at the capture destination (station/PictureStore does the
// writing); and, at start-up, the hand-off folder and the registry value that tells the host
// where the hand-off file is.
//
// Every store empties the picture, whether it succeeded or not. Only a store that succeeded
// counts as stored: the caller tells the host, with m_StoredPath, only then. A store that fails
// tells the host why before its message box waits for the operator; a name dialog the operator
// cancels tells nobody.
#include <cstdio>
#include <string>
#include <vector>

#include "capture/HandOff.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Services.h"
#include "station/EnterFileName.h"
#include "station/MainDialog.h"
#include "station/PictureStore.h"

int CTRIPOD01Dlg::SaveCapturedImage() {
    m_StoredPath.clear();
    PictureStoreRequest request{m_CaptureType,       std::nullopt,    m_HostFolder,
                                m_CompressionFactor, m_HorizontalDPI, m_VerticalDPI};
    if (m_CaptureType == destination::kJpegFile || m_CaptureType == destination::kBmpFile) {
        const PictureFileChoice choice = ChoosePictureFile(this, *this, m_UserFileName);
        if (choice.outcome == PictureFileChoice::Outcome::kCancelled) {
            m_CaptureImage.Free();
            return 0;
        }
        if (choice.outcome == PictureFileChoice::Outcome::kWrite)
            request.file = choice.path;
    }
    const PictureStoreOutcome outcome = StorePicture(m_CaptureImage, request);
    if (!outcome.stored) {
        // The host hears of it at once, not when the operator has read the box.
        if (m_CaptureFailedHook)
            m_CaptureFailedHook(outcome.reason);
        ui::MessageBox(this, outcome.message);
    }
    m_CaptureImage.Free();
    m_StoredPath = outcome.path;
    return outcome.stored ? 1 : 0;
}

void CTRIPOD01Dlg::StoreCapturedImage() {
    if (SaveCapturedImage() >= 1 && m_CaptureStoredHook)
        m_CaptureStoredHook(m_StoredPath);
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
