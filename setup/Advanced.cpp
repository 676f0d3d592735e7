// The Advanced page.
#include "setup/Advanced.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <utility>

#include "control/CameraModels.h"
#include "control/HeadLink.h"
#include "control/StartupSequences.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/ControlRow.h"
#include "platform/ui/UpDown.h"
#include "station/Layout.h"
#include "station/MainDialog.h"

namespace {

// The camera's sharpness codes for the levels the "Before Capture" arrows step through, 0 to 4.
// They are not the codes of the same levels at start-up and under "Page Defaults"
// (ApertureCode): the arrows' level 2 is 149, the stored default 2 is 150.
constexpr std::array<int, 5> kSharpnessStepCodes = {144, 151, 149, 147, 145};
constexpr int kMaxAfterCapture = 3;
constexpr int kMaxBeforeCapture = 4;

// What "Page Defaults" gives brightness and contrast.
constexpr int kDefaultBrightness = 124;
constexpr int kDefaultContrast = 64;

// The zoom travels from 0 (wide); the head takes its target as an unsigned 16-bit argument, so
// a step is held within 0 to 65535 rather than wrapping from wide to full telephoto.
constexpr int kMaxZoomArgument = 0xFFFF;

// The pictures of the two fine-zoom buttons: the main dialog's zoom pictures (bitmaps 181, 183).
constexpr std::pair<int, const char*> kFineZoomPictures[] = {
    {CPropAdvanced::kFineZoomIn, ":/station/zoom_in"},
    {CPropAdvanced::kFineZoomOut, ":/station/zoom_out"},
};
constexpr int kPictureSide = 20;

using A = CPropAdvanced;
using K = ui::ControlKind;
using ui::kNoId;

// Left column: sharpness, the locks, live capture speed/quality. Right column: the presets,
// fine zoom, the layout.
constexpr ui::ControlRow kAdvancedControls[] = {
    {kNoId, K::kGroupBox, "Sharpness", 8, 6, 204, 84},
    {kNoId, K::kGroupBox, "Zoom, Iris, Color Lock", 8, 96, 204, 86},
    {kNoId, K::kGroupBox, "Live Capture Speed/Quality", 8, 188, 204, 48},
    {kNoId, K::kGroupBox, "Static", 220, 6, 208, 56},
    {kNoId, K::kGroupBox, "Fine Zoom Control", 220, 68, 208, 56},
    {kNoId, K::kGroupBox, "User Interface", 220, 130, 208, 68},

    {kNoId, K::kLabel, "After Capture", 20, 30, 100, 18},
    {kNoId, K::kLabel, "Before Capture", 20, 60, 100, 18},
    {A::kAfterCaptureEdit,
     K::kUpDown,
     "",
     128,
     27,
     44,
     22,
     ui::kPlain,
     {A::kAfterCaptureSpin, 0, kMaxAfterCapture}},
    {A::kBeforeCaptureEdit,
     K::kUpDown,
     "",
     128,
     57,
     44,
     22,
     ui::kPlain,
     {A::kBeforeCaptureSpin, 0, kMaxBeforeCapture}},

    {A::kLockZoom, K::kCheckBox, "Lock Zoom", 20, 116, 150, 18},
    {A::kLockIris, K::kCheckBox, "Lock Iris", 20, 138, 150, 18},
    {A::kLockColor, K::kCheckBox, "Lock Color", 20, 160, 150, 18},

    {A::kFastest, K::kRadio, "Fastest", 20, 208, 70, 18},
    {A::kMed, K::kRadio, "Med", 92, 208, 56, 18},
    {A::kBest, K::kRadio, "Best", 150, 208, 56, 18},

    {A::kPreset1, K::kButton, "Preset 1", 230, 26, 60, 26},
    {A::kPreset2, K::kButton, "Preset 2", 294, 26, 60, 26},
    {A::kPreset3, K::kButton, "Preset 3", 358, 26, 60, 26},

    {A::kFineZoomIn, K::kPictureButton, "", 290, 90, 25, 25},
    {A::kFineZoomOut, K::kPictureButton, "", 333, 90, 25, 25},

    {A::kLawEnforcement, K::kRadio, "Law Enforcement", 230, 150, 180, 18},
    {A::kStandard, K::kRadio, "Standard", 230, 172, 180, 18},

    {A::kPageDefaults, K::kButton, "Page Defaults", 320, 210, 108, 26},
};

}  // namespace

CPropAdvanced::CPropAdvanced() : ui::PropertyPage(QStringLiteral("Advanced"), QSize(436, 244)) {
    AddControls(kAdvancedControls);
    AddRadioGroup({kFastest, kMed, kBest});
    AddRadioGroup({kLawEnforcement, kStandard});
    // Typing is allowed but never applied: when the operator is done with an edit it shows the
    // setting in force again (the page's copy, so nothing of the main dialog is read while
    // windows are going).
    for (const int id : {kAfterCaptureEdit, kBeforeCaptureEdit}) {
        connect(Item<QLineEdit>(id), &QLineEdit::editingFinished, this,
                Handler([this] { UpdateData(false); }));
    }

    MapStep(kAfterCaptureSpin, [this](const ui::UpDownStep& step) { OnAfterCaptureStep(step); });
    MapStep(kBeforeCaptureSpin, [this](const ui::UpDownStep& step) { OnBeforeCaptureStep(step); });
    static constexpr CommandRow<CPropAdvanced> kCommandMap[] = {
        {kFineZoomIn, &CPropAdvanced::OnFineZoomIn},
        {kFineZoomOut, &CPropAdvanced::OnFineZoomOut},
        {kPreset1, &CPropAdvanced::OnPreset1},
        {kPreset2, &CPropAdvanced::OnPreset2},
        {kPreset3, &CPropAdvanced::OnPreset3},
        {kLockZoom, &CPropAdvanced::OnLockZoom},
        {kLockIris, &CPropAdvanced::OnLockIris},
        {kLockColor, &CPropAdvanced::OnLockColor},
        {kFastest, &CPropAdvanced::OnFastest},
        {kMed, &CPropAdvanced::OnMed},
        {kBest, &CPropAdvanced::OnBest},
        {kLawEnforcement, &CPropAdvanced::OnLawEnforcement},
        {kStandard, &CPropAdvanced::OnStandard},
        {kPageDefaults, &CPropAdvanced::OnPageDefaults},
    };
    MapCommandTable(kCommandMap);
}

CPropAdvanced::~CPropAdvanced() {
    // An edit losing the focus as the page goes must not reach a half-destroyed page.
    for (const int id : {kAfterCaptureEdit, kBeforeCaptureEdit})
        disconnect(GetDlgItem(id), nullptr, this, nullptr);
}

void CPropAdvanced::DoDataExchange(ui::DataExchange& dx) {
    ui::PropertyPage::DoDataExchange(dx);
    // The sharpness values go one way only, to the edits: their arrows set them.
    if (!dx.Saving()) {
        dx.Int(kAfterCaptureEdit, m_Sharpness);
        dx.Int(kBeforeCaptureEdit, m_Aperature);
    }
    dx.Check(kLockZoom, m_LockZoom);
    dx.Check(kLockIris, m_LockIris);
    dx.Check(kLockColor, m_LockColor);
    dx.Radio(kFastest, m_LiveCapture);
    dx.Radio(kLawEnforcement, m_Interface);
}

void CPropAdvanced::ShowMainValues() {
    const CTRIPOD01Dlg& main = *m_pMainDlg;
    m_Sharpness = main.m_Sharpness;
    m_Aperature = main.m_Aperature;
    m_LiveCapture = main.m_LiveCapture;
    m_LockZoom = main.m_LockZoom;
    m_LockIris = main.m_LockIris;
    m_LockColor = main.m_ColorCorrectionLock;
    m_Interface = main.m_Interface != 0 ? 1 : 0;
    UpdateData(false);
}

bool CPropAdvanced::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    CTRIPOD01Dlg& main = *m_pMainDlg;
    // The ranges were set with the controls. A stored "Before Capture" of 0 is shown, and
    // taken, as 3.
    if (main.m_Sharpness < 0 || main.m_Sharpness > kMaxAfterCapture)
        main.m_Sharpness = 1;
    if (main.m_Aperature < 1 || main.m_Aperature > kMaxBeforeCapture)
        main.m_Aperature = 3;
    SendPtzCommand(main.m_AutoFocus == 1 ? head::kAutoFocusOn : head::kAutoFocusOff);
    ShowMainValues();
    for (const auto& [id, resource] : kFineZoomPictures) {
        auto* button = Item<QPushButton>(id);
        button->setIcon(LoadPicture(resource, kPictureSide));
        button->setIconSize(QSize(kPictureSide, kPictureSide));
    }
    ReadZoomPosition();
    return true;
}

void CPropAdvanced::ReadZoomPosition() {
    // The page gives the head longer than the station does. Without an answer the page keeps
    // the position it read last.
    if (const auto zoom = camera_seq::ReadZoom(100, 250))
        m_ZoomPosition = *zoom;
}

void CPropAdvanced::OnAfterCaptureStep(const ui::UpDownStep& step) {
    // The capture workflow sharpens each captured picture by this; the camera is not told.
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_Sharpness = std::clamp(main.m_Sharpness + step.delta, 0, kMaxAfterCapture);
    ShowMainValues();
}

void CPropAdvanced::OnBeforeCaptureStep(const ui::UpDownStep& step) {
    // Every press sends the level's code, also a press at either end.
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_Aperature = std::clamp(main.m_Aperature + step.delta, 0, kMaxBeforeCapture);
    ShowMainValues();
    WriteArgument(HeadArgument::A, kSharpnessStepCodes[static_cast<size_t>(main.m_Aperature)]);
    sys::Wait(20);
    SendPtzCommand(head::kSharpness);
    sys::Wait(20);
}

void CPropAdvanced::FineZoom(int delta) {
    // Each press starts from where the zoom is now: it may have been moved from the main
    // dialog since.
    ReadZoomPosition();
    const int32_t target = std::clamp(m_ZoomPosition + delta, 0, kMaxZoomArgument);
    m_pMainDlg->m_ZoomAutoPosition = target;
    WriteArgument(HeadArgument::A, target);
    SendPtzCommand(head::kDriveZoom);
}

void CPropAdvanced::OnFineZoomIn() {
    FineZoom(kFineZoomStep);
}

void CPropAdvanced::OnFineZoomOut() {
    FineZoom(-kFineZoomStep);
}

void CPropAdvanced::StorePreset(int32_t& preset) {
    SendPtzCommand(head::kReportZoom);
    sys::Wait(250);
    // A camera that answers nothing leaves the preset as it was rather than at wide.
    if (const auto zoom = TryReadArgument(HeadArgument::A))
        preset = *zoom;
}

void CPropAdvanced::OnPreset1() {
    StorePreset(m_pMainDlg->m_ZoomPreset1);
}

void CPropAdvanced::OnPreset2() {
    StorePreset(m_pMainDlg->m_ZoomPreset2);
}

void CPropAdvanced::OnPreset3() {
    StorePreset(m_pMainDlg->m_ZoomPreset3);
}

// The locks take effect in the main dialog's own controls.
void CPropAdvanced::OnLockZoom() {
    UpdateData(true);
    m_pMainDlg->m_LockZoom = m_LockZoom;
}

void CPropAdvanced::OnLockIris() {
    UpdateData(true);
    m_pMainDlg->m_LockIris = m_LockIris;
}

void CPropAdvanced::OnLockColor() {
    UpdateData(true);
    m_pMainDlg->m_ColorCorrectionLock = m_LockColor;
}

void CPropAdvanced::SetLiveCapture(int choice) {
    m_pMainDlg->m_LiveCapture = choice;
    UpdateData(true);
}

void CPropAdvanced::OnFastest() {
    SetLiveCapture(0);
}

void CPropAdvanced::OnMed() {
    SetLiveCapture(1);
}

void CPropAdvanced::OnBest() {
    SetLiveCapture(2);
}

void CPropAdvanced::OnLawEnforcement() {
    m_Interface = m_pMainDlg->m_Interface = 0;
    m_pMainDlg->ApplyLawEnforcementLayout();
}

void CPropAdvanced::OnStandard() {
    m_Interface = m_pMainDlg->m_Interface = 1;
    m_pMainDlg->ApplyStandardLayout();
}

void CPropAdvanced::OnPageDefaults() {
    // The locks, presets, layout and live capture choice stay as they are.
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_Brightness = kDefaultBrightness;
    WriteArgument(HeadArgument::A, main.m_Brightness);
    SendPtzCommand(head::kBrightness);
    main.m_Contrast = kDefaultContrast;
    WriteArgument(HeadArgument::A, main.m_Contrast);
    SendPtzCommand(head::kContrast);
    main.m_Sharpness = main.m_DefaultSharpness;
    main.m_Aperature = main.m_DefaultAperature;
    // A stored default without a code leaves the camera's sharpness as it is, as start-up does.
    if (const auto code = ApertureCode(main.m_Aperature)) {
        WriteArgument(HeadArgument::A, *code);
        SendPtzCommand(head::kSharpness);
    }
    ShowMainValues();
}
