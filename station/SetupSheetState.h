// The main dialog's state around the "Adjust" sheet: the sheet, the password result and where
// the main dialog stood when the sheet was placed.
#pragma once

#include <QRect>
#include <cstdint>
#include <memory>

#include "station/SetupSheet.h"

struct SetupSheetState {
    // Made once at initialisation and kept for the whole run; its window and pages exist only
    // while it is open. None when the program gave no maker: "&Adjust" then does nothing.
    std::unique_ptr<SetupSheet> m_SetupSheet;
    // 1 when the last OK in the password dialog matched, 0 otherwise; only that dialog writes it.
    int32_t m_PasswordOK = 0;
    // The main dialog's window rectangle in screen pixels, taken each time the sheet is placed.
    QRect m_MainRect;
};
