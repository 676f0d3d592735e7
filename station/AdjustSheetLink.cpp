// The main dialog's side of the "Adjust" sheet: it makes the sheet with the program's maker and
// passes its own events on to it.
#include "station/ControlIds.h"
#include "station/MainDialog.h"

namespace {

SetupSheetMaker& Maker() {
    static SetupSheetMaker maker;
    return maker;
}

}  // namespace

void CTRIPOD01Dlg::SetSetupSheetMaker(SetupSheetMaker maker) {
    Maker() = std::move(maker);
}

void CTRIPOD01Dlg::CreateAdjustSheet() {
    if (m_SetupSheet != nullptr || !Maker())
        return;
    m_SetupSheet = Maker()(*this);
    MapCommand(ids::kAdjust, [this] { OnAdjust(); });
}

void CTRIPOD01Dlg::OnAdjust() {
    if (m_SetupSheet != nullptr)
        m_SetupSheet->Open();
}

void CTRIPOD01Dlg::CloseAdjustSheet() {
    if (m_SetupSheet != nullptr)
        m_SetupSheet->Close();
}

void CTRIPOD01Dlg::ShowCenterOffsetsOnSheet() {
    if (m_SetupSheet != nullptr)
        m_SetupSheet->RefreshCenterOffsets();
}

void CTRIPOD01Dlg::EnableAdjustSheet(bool enable) {
    if (m_SetupSheet != nullptr)
        m_SetupSheet->Enable(enable);
}

void CTRIPOD01Dlg::ShowAdjustSheetWithStation(bool show) {
    if (m_SetupSheet != nullptr)
        m_SetupSheet->ShowWithStation(show);
}
