// The main dialog's "Adjust" sheet: the password gate of "&Adjust", the pages of each opening,
// the sheet's place beside the main dialog, and the sheet following the station through a
// review, a host's hide and show, and the close.
#include <QPushButton>
#include <initializer_list>

#include "platform/ui/PropertySheet.h"
#include "setup/Advanced.h"
#include "setup/AutoPosition.h"
#include "setup/CaptureType.h"
#include "setup/Crop.h"
#include "setup/FleshTones.h"
#include "setup/Pass.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

namespace {

// One page of the sheet, in tab order; it is added only for a camera class of at least
// `minCameraType`. The Flesh Tones, Advanced and Crop pages come before and after "Capture
// Type", and "Auto Position" last for classes 4 and 5, as they are written.
struct SheetPage {
    ui::PropertyPage* (*make)(CTRIPOD01Dlg* mainDlg);
    int32_t minCameraType;
};

template <class Page>
ui::PropertyPage* MakePage(CTRIPOD01Dlg* mainDlg) {
    auto* page = new Page;
    page->SetMainDialog(mainDlg);
    return page;
}

constexpr SheetPage kSheetPages[] = {
    {&MakePage<CPropAdjust>, 0},
    {&MakePage<CPropAdvanced>, 0},
    {&MakePage<CCaptureType>, 0},
    {&MakePage<CPropPageCrop>, 0},
    {&MakePage<CAutoPosition>, 4},
};

// "None" and the empty text both mean that no password is set; the comparison is exact.
bool PasswordIsSet(const std::string& password) {
    return password != "None" && !password.empty();
}

}  // namespace

void CTRIPOD01Dlg::CreateAdjustSheet() {
    if (m_PropSheet != nullptr)
        return;
    m_PropSheet = new ui::PropertySheet(QStringLiteral("Adjust"), this, 0);
    // A window of its own does not take its parent's font by itself; the pages were drawn for
    // the main dialog's.
    m_PropSheet->setAttribute(Qt::WA_WindowPropagation);
    m_PropSheet->setFont(font());
    MapCommand(ids::kAdjust, [this] { OnAdjust(); });
}

void CTRIPOD01Dlg::OnAdjust() {
    if (PasswordIsSet(m_PassWord)) {
        CPass pass(this);
        pass.DoModal();
        if (m_PasswordOK == 0)
            return;
    }
    if (m_PropSheet == nullptr)
        return;
    if (!m_PropSheet->IsOpen()) {
        for (const SheetPage& page : kSheetPages) {
            if (m_CameraType >= page.minCameraType)
                m_PropSheet->AddPage(page.make(this));
        }
        m_PropSheet->Create();
        PositionPropSheet();
    }
    m_PropSheet->raise();
    m_PropSheet->activateWindow();
}

void CTRIPOD01Dlg::PositionPropSheet() {
    const int width = m_PropSheet->frameGeometry().width();
    m_MainRect = frameGeometry();
    const int x = m_MainRect.left() - width;
    if (x >= 0) {
        m_PropSheet->move(x, m_MainRect.top());
        return;
    }
    // No room on the left: the sheet starts at the screen's edge and the main dialog moves
    // right to make room for it.
    move(width + 2, m_MainRect.top());
    m_PropSheet->move(2, m_MainRect.top());
}

void CTRIPOD01Dlg::CloseAdjustSheet() {
    if (m_PropSheet != nullptr)
        m_PropSheet->DestroyWindow();
}

void CTRIPOD01Dlg::ShowCenterOffsetsOnSheet() {
    if (m_PropSheet == nullptr || !m_PropSheet->IsOpen())
        return;
    for (int i = 0; i < m_PropSheet->GetPageCount(); ++i) {
        if (auto* page = qobject_cast<CAutoPosition*>(m_PropSheet->GetPage(i)))
            page->ShowCenterOffsets();
    }
}

void CTRIPOD01Dlg::EnableAdjustSheet(bool enable) {
    if (m_PropSheet != nullptr)
        m_PropSheet->setEnabled(enable);
}

void CTRIPOD01Dlg::ShowAdjustSheetWithStation(bool show) {
    if (m_PropSheet == nullptr)
        return;
    if (show) {
        m_PropSheet->ShowWithOwner();
    } else {
        m_PropSheet->HideWithOwner();
    }
}
