// The main dialog's capture state: the picture between the frame and the store, and who is
// told when it has been stored.
#pragma once

#include <functional>
#include <string>

struct CaptureState {
    // Called once after each successful store with the stored file's path ("" for the
    // clipboard). Host messages connect it; nothing is called for a failed or dropped store.
    std::function<void(const std::string& path)> m_CaptureStoredHook;
};
