// The "Advanced" page of the "Adjust" sheet: what an administrator rarely
// changes. Sharpness before capture (a level the camera applies, sent at each step) and after
// capture (the strength the capture workflow sharpens with), the locks of the operator's zoom,
// iris and colour controls, fine zoom steps, storing the current zoom as one of three presets,
// the screen layout (the main dialog re-lays at once) and the speed/quality of live captures.
//
// Every value lives in the main dialog and takes effect the moment a control is used; the page
// keeps copies only for showing them. The two sharpness edits take typing, but only their
// arrows change a setting: what is typed is never taken back, so a stray letter cannot hold up
// the other controls, a tab change or the close.
#pragma once

#include <cstdint>

#include "platform/ui/PropertySheet.h"

class CTRIPOD01Dlg;
namespace ui {
struct UpDownStep;
}

class CPropAdvanced : public ui::PropertyPage {
    Q_OBJECT

  public:
    // Control ids.
    static constexpr int kAfterCaptureEdit = 1202;  // "After Capture", 0 to 3
    static constexpr int kAfterCaptureSpin = 1204;
    static constexpr int kBeforeCaptureEdit = 1200;  // "Before Capture", 0 to 4
    static constexpr int kBeforeCaptureSpin = 1203;
    static constexpr int kLockZoom = 1193;
    static constexpr int kLockIris = 1129;
    static constexpr int kLockColor = 1205;
    static constexpr int kPreset1 = 1211;
    static constexpr int kPreset2 = 1212;
    static constexpr int kPreset3 = 1172;
    static constexpr int kFineZoomIn = 1004;  // picture buttons
    static constexpr int kFineZoomOut = 1006;
    static constexpr int kLawEnforcement = 1214;  // radio group: 0 Law Enforcement, 1 Standard
    static constexpr int kStandard = 1215;
    static constexpr int kFastest = 1095;  // radio group: 0 Fastest, 1 Med, 2 Best
    static constexpr int kMed = 1094;
    static constexpr int kBest = 1126;
    static constexpr int kPageDefaults = 1084;

    // One fine-zoom press moves the zoom by this many of the head's units.
    static constexpr int kFineZoomStep = 200;

    CPropAdvanced();
    ~CPropAdvanced() override;

    void SetMainDialog(CTRIPOD01Dlg* mainDlg) { m_pMainDlg = mainDlg; }

    bool OnInitDialog() override;
    void OnAfterCaptureStep(const ui::UpDownStep& step);
    void OnBeforeCaptureStep(const ui::UpDownStep& step);
    void OnFineZoomIn();
    void OnFineZoomOut();
    void OnPreset1();
    void OnPreset2();
    void OnPreset3();
    void OnLockZoom();
    void OnLockIris();
    void OnLockColor();
    void OnFastest();
    void OnMed();
    void OnBest();
    void OnLawEnforcement();
    void OnStandard();
    void OnPageDefaults();

    CTRIPOD01Dlg* m_pMainDlg = nullptr;
    // The page's copies for data exchange.
    int m_Sharpness = 0;
    int m_Aperature = 0;
    int m_LockZoom = 0;
    int m_LockIris = 0;
    int m_LockColor = 0;
    int m_LiveCapture = -1;
    int m_Interface = -1;
    // The zoom position the page last read from the camera.
    int32_t m_ZoomPosition = 0;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;

  private:
    void ReadZoomPosition();
    void FineZoom(int delta);
    void StorePreset(int32_t& preset);
    void SetLiveCapture(int choice);
    // The sharpness values and the choices as the main dialog holds them, shown.
    void ShowMainValues();
};
