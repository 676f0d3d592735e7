// The "Adjust" sheet (see AdjustSheet.h).
#include "setup/AdjustSheet.h"

#include <initializer_list>

#include "platform/ui/PropertySheet.h"
#include "setup/Advanced.h"
#include "setup/AutoPosition.h"
#include "setup/CaptureType.h"
#include "setup/Crop.h"
#include "setup/FleshTones.h"
#include "setup/Pass.h"
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
    {&MakePage<CAutoPosition>, camera_class::kPtzRev2},
};

// "None" and the empty text both mean that no password is set; the comparison is exact.
bool PasswordIsSet(const std::string& password) {
    return password != "None" && !password.empty();
}

class CAdjustSheet final : public SetupSheet {
  public:
    explicit CAdjustSheet(CTRIPOD01Dlg& main) : main_(main) {
        m_PropSheet = new ui::PropertySheet(QStringLiteral("Adjust"), &main, 0);
        // A window of its own does not take its parent's font by itself; the pages were drawn
        // for the main dialog's.
        m_PropSheet->setAttribute(Qt::WA_WindowPropagation);
        m_PropSheet->setFont(main.font());
    }

    void Open() override {
        if (PasswordIsSet(main_.m_PassWord)) {
            CPass pass(&main_);
            pass.DoModal();
            if (main_.m_PasswordOK == 0)
                return;
        }
        if (!m_PropSheet->IsOpen()) {
            for (const SheetPage& page : kSheetPages) {
                if (main_.m_CameraType >= page.minCameraType)
                    m_PropSheet->AddPage(page.make(&main_));
            }
            m_PropSheet->Create();
            PositionPropSheet();
        }
        m_PropSheet->raise();
        m_PropSheet->activateWindow();
    }

    void Close() override { m_PropSheet->DestroyWindow(); }

    void Enable(bool enable) override { m_PropSheet->setEnabled(enable); }

    void ShowWithStation(bool show) override {
        if (show) {
            m_PropSheet->ShowWithOwner();
        } else {
            m_PropSheet->HideWithOwner();
        }
    }

    void RefreshCenterOffsets() override {
        if (!m_PropSheet->IsOpen())
            return;
        for (int i = 0; i < m_PropSheet->GetPageCount(); ++i) {
            if (auto* page = qobject_cast<CAutoPosition*>(m_PropSheet->GetPage(i)))
                page->ShowCenterOffsets();
        }
    }

    // A child of the main dialog, which deletes it.
    ui::PropertySheet* m_PropSheet = nullptr;

  private:
    // Beside the main dialog, on its left; with no room there the sheet starts at the screen's
    // edge and the main dialog moves right to make room for it.
    void PositionPropSheet() {
        const int width = m_PropSheet->frameGeometry().width();
        main_.m_MainRect = main_.frameGeometry();
        const int x = main_.m_MainRect.left() - width;
        if (x >= 0) {
            m_PropSheet->move(x, main_.m_MainRect.top());
            return;
        }
        main_.move(width + 2, main_.m_MainRect.top());
        m_PropSheet->move(2, main_.m_MainRect.top());
    }

    CTRIPOD01Dlg& main_;
};

}  // namespace

std::unique_ptr<SetupSheet> MakeAdjustSheet(CTRIPOD01Dlg& station) {
    return std::make_unique<CAdjustSheet>(station);
}

ui::PropertySheet* PropSheetOf(const CTRIPOD01Dlg& station) {
    auto* sheet = dynamic_cast<CAdjustSheet*>(station.m_SetupSheet.get());
    return sheet != nullptr ? sheet->m_PropSheet : nullptr;
}
