// The "Adjust" sheet as the station reaches it. The station declares what it asks of the sheet;
// setup/ builds it (the password, the pages, the placement beside the main dialog), and the
// program's main hands the maker to the main dialog, so the station depends on nothing of
// setup/.
#pragma once

#include <functional>
#include <memory>

class CTRIPOD01Dlg;

class SetupSheet {
  public:
    virtual ~SetupSheet() = default;
    // "&Adjust": the password when one is set, then the pages of this opening beside the main
    // dialog; an open sheet is brought to the front.
    virtual void Open() = 0;
    // Closes an open sheet: its pages' destroy handlers run.
    virtual void Close() = 0;
    // The sheet takes no input while a captured picture is under review.
    virtual void Enable(bool enable) = 0;
    // An open sheet is hidden and shown again with the station when a host asks.
    virtual void ShowWithStation(bool show) = 0;
    // An open Auto Position page shows the centre offsets again.
    virtual void RefreshCenterOffsets() = 0;
};

// Makes the sheet of a main dialog (no window yet); the dialog calls it while it initialises.
using SetupSheetMaker = std::function<std::unique_ptr<SetupSheet>(CTRIPOD01Dlg& station)>;
