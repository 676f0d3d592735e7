// The main dialog's state around the "Adjust" sheet (setup/AdjustSheet.cpp): the one sheet
// object, the password result and where the main dialog stood when the sheet was placed.
#pragma once

#include <QRect>
#include <cstdint>

namespace ui {
class PropertySheet;
}

struct SetupSheetState {
    // Made once at initialisation and kept for the whole run; its window and pages exist only
    // while it is open. A child of the main dialog, which deletes it.
    ui::PropertySheet* m_PropSheet = nullptr;
    // 1 when the last OK in the password dialog matched, 0 otherwise; only that dialog writes it.
    int32_t m_PasswordOK = 0;
    // The main dialog's window rectangle in screen pixels, taken each time the sheet is placed.
    QRect m_MainRect;
};
