// The main dialog's live-preview state (Preview.cpp): the preview window and the capture
// bitmap the frames are read into.
#pragma once

#include <QString>

#include <cstdint>

#include "station/DibSection.h"

class CDisplayWindow;

struct PreviewState {
    // 1: the next tick creates the preview window and both bitmaps instead of reading a frame.
    int32_t m_CreatePreview = 0;
    // 1: frames are shown.
    int32_t m_PreviewRunning = 0;
    CDisplayWindow* m_hPreviewWnd = nullptr;  // child 76, owned by the dialog
    BitmapInfoHeader m_CaptureBitmapInfo{};
    uint8_t* m_pCaptureBits = nullptr;  // kFrameBytes, nullptr until the first tick
    // The status line over the live picture (empty: none), kept here so that a preview window
    // created later shows it too.
    QString m_StatusText;
};
