// The main dialog's capture state (CaptureWorkflow.cpp, PictureOutput.cpp): the picture between
// the frame and the store, where it goes, and who is told when it has been stored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "capture/CaptureProcessing.h"
#include "imaging/ImageRecord.h"

// Where the station is between two pictures. CAPTURE is taken only while live.
enum class CapturePhase { kLive, kCapturing, kReview };

struct CaptureState {
    // The picture being processed or reviewed; empty after every store or drop.
    ImageRecord m_CaptureImage;
    CapturePixels m_CapturePixels;
    // The crop of the capture in progress, fixed when its frame is processed.
    CaptureCrop m_CaptureCrop;
    CapturePhase m_CapturePhase = CapturePhase::kLive;
    // Live controls the review layout hid, shown again when the review ends.
    std::vector<int> m_HiddenForReview;

    // The folder of the host hand-off file; empty when it could not be made.
    std::string m_HostFolder;
    // The last file name the operator typed, with its extension ("Visitor.JPG").
    std::string m_UserFileName;
    // The file the last successful store wrote ("" for the clipboard).
    std::string m_StoredPath;

    // Called once after each successful store with the stored file's path ("" for the
    // clipboard). Host messages connect it; nothing is called for a failed or dropped store.
    std::function<void(const std::string& path)> m_CaptureStoredHook;
    // Called once for each capture that ends without a stored picture for a reason other than
    // the operator's choice (a store that failed, a capture abandoned), with a one-line reason.
    std::function<void(const std::string& reason)> m_CaptureFailedHook;
};
