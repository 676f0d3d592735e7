// The "Adjust" sheet the station opens from "&Adjust": the password gate, the pages of each
// opening, the sheet's place beside the main dialog, and the sheet following the station
// through a review, a host's hide and show, and the close.
#pragma once

#include <memory>

#include "station/SetupSheet.h"

namespace ui {
class PropertySheet;
}

// The sheet of `station`: what the program hands the main dialog as its sheet maker.
std::unique_ptr<SetupSheet> MakeAdjustSheet(CTRIPOD01Dlg& station);

// The sheet window of a main dialog made with MakeAdjustSheet, or nullptr (for tests and for
// pages that look at their sheet).
ui::PropertySheet* PropSheetOf(const CTRIPOD01Dlg& station);
