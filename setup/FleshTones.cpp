// The Flesh Tones page.
#include "setup/FleshTones.h"

#include <utility>

#include "control/ColourSequences.h"
#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/ControlRow.h"
#include "platform/ui/UpDown.h"
#include "station/MainDialog.h"

namespace {

using K = ui::ControlKind;
using ui::kNoId;
constexpr unsigned kValueEdit = ui::kReadOnly | ui::kAlignRight;

// A stepped value: its read-only edit with the arrows beside it, `lowest` to `highest`.
constexpr ui::ControlRow Stepped(int edit, int arrows, int x, int y, int lowest, int highest) {
    return {edit, K::kUpDown, "", x, y, 52, 24, kValueEdit, {arrows, lowest, highest}};
}

constexpr ui::ControlRow kFleshTonesControls[] = {
    // The trailing blank of the white-balance title is the template's.
    {kNoId, K::kGroupBox, "Live Adjustments", 8, 6, 202, 116},
    {kNoId, K::kGroupBox, "Flash Adjustments", 218, 6, 202, 116},
    {kNoId, K::kGroupBox, "Auto White Balance ", 8, 130, 202, 96},
    {kNoId, K::kGroupBox, "Flash Color Correction", 218, 130, 202, 96},
    {kNoId, K::kGroupBox, "Pan/Tilt/Zoom Speed", 8, 236, 244, 52},

    // The stepped values in the order the operator reads them, the live column then the flash
    // column: each a caption and a read-only edit with its arrows. Flash Blue reaches further
    // up than the others: flash light needs more blue than the room's.
    {kNoId, K::kLabel, "Live Red", 20, 33, 80, 18},
    Stepped(CPropAdjust::kLiveRedEdit, CPropAdjust::kLiveRed, 106, 30, -25, 25),
    {kNoId, K::kLabel, "Live Blue", 20, 63, 80, 18},
    Stepped(CPropAdjust::kLiveBlueEdit, CPropAdjust::kLiveBlue, 106, 60, -25, 25),
    {kNoId, K::kLabel, "Live Color", 20, 93, 80, 18},
    Stepped(CPropAdjust::kLiveColorEdit, CPropAdjust::kLiveColor, 106, 90, 20, 100),
    {kNoId, K::kLabel, "Flash Red", 230, 33, 80, 18},
    Stepped(CPropAdjust::kFlashRedEdit, CPropAdjust::kFlashRed, 316, 30, -25, 25),
    {kNoId, K::kLabel, "Flash Blue", 230, 63, 80, 18},
    Stepped(CPropAdjust::kFlashBlueEdit, CPropAdjust::kFlashBlue, 316, 60, -25, 50),
    {kNoId, K::kLabel, "Flash Color", 230, 93, 80, 18},
    Stepped(CPropAdjust::kFlashColorEdit, CPropAdjust::kFlashColor, 316, 90, 20, 100),
    // Flash delay has no control of its own; its caption stays hidden.
    {kNoId, K::kLabel, "Flash Delay", 230, 204, 80, 18, ui::kHidden},

    {CPropAdjust::kAutoWhite, K::kRadio, "Auto White", 20, 152, 100, 20},
    {CPropAdjust::kManual, K::kRadio, "Manual", 20, 178, 100, 20},
    {CPropAdjust::kDefaultCorrection, K::kRadio, "Default", 230, 152, 100, 20},
    {CPropAdjust::kFluorescent, K::kRadio, "Fluorescent", 230, 178, 100, 20},
    {CPropAdjust::kSlow, K::kRadio, "Slow", 20, 258, 100, 20},
    {CPropAdjust::kMed, K::kRadio, "Med", 96, 258, 100, 20},
    {CPropAdjust::kFast, K::kRadio, "Fast", 172, 258, 100, 20},
    {CPropAdjust::kAccurate, K::kButton, "Accurate", 120, 162, 80, 26, ui::kDisabled},
    {CPropAdjust::kPageDefaults, K::kButton, "Page Defaults", 306, 254, 114, 28},
};

}  // namespace

CPropAdjust::CPropAdjust() : ui::PropertyPage(QStringLiteral("Flesh Tones"), QSize(428, 296)) {
    AddControls(kFleshTonesControls);
    AddRadioGroup({kAutoWhite, kManual});
    AddRadioGroup({kDefaultCorrection, kFluorescent});
    AddRadioGroup({kSlow, kMed, kFast});

    using StepHandler = void (CPropAdjust::*)(int);
    static constexpr std::pair<int, StepHandler> kStepMap[] = {
        {kLiveRed, &CPropAdjust::OnLiveRed},     {kLiveBlue, &CPropAdjust::OnLiveBlue},
        {kLiveColor, &CPropAdjust::OnLiveColor}, {kFlashRed, &CPropAdjust::OnFlashRed},
        {kFlashBlue, &CPropAdjust::OnFlashBlue}, {kFlashColor, &CPropAdjust::OnFlashColor},
    };
    for (const auto& [id, handler] : kStepMap) {
        MapStep(id,
                [this, handler](const ui::UpDownStep& step) { (this->*handler)(step.position); });
    }
    static constexpr CommandRow<CPropAdjust> kCommandMap[] = {
        {kAutoWhite, &CPropAdjust::OnAutoWhite},
        {kManual, &CPropAdjust::OnManual},
        {kPageDefaults, &CPropAdjust::OnPageDefaults},
    };
    static constexpr ValueCommandRow<CPropAdjust> kValueCommandMap[] = {
        {kDefaultCorrection, &CPropAdjust::OnFlashColorCorrection, 0},
        {kFluorescent, &CPropAdjust::OnFlashColorCorrection, 1},
        {kSlow, &CPropAdjust::OnSpeed, 0},
        {kMed, &CPropAdjust::OnSpeed, 1},
        {kFast, &CPropAdjust::OnSpeed, 2},
    };
    MapCommandTable(kCommandMap);
    MapCommandTable(kValueCommandMap);
}

CPropAdjust::~CPropAdjust() = default;

void CPropAdjust::DoDataExchange(ui::DataExchange& dx) {
    ui::PropertyPage::DoDataExchange(dx);
    // The edits are read-only and only ever show numbers the page put there.
    dx.Int(kLiveRedEdit, m_LiveRed);
    dx.Int(kLiveBlueEdit, m_LiveBlue);
    dx.Int(kLiveColorEdit, m_LiveColor);
    dx.Int(kFlashRedEdit, m_FlashRed);
    dx.Int(kFlashBlueEdit, m_FlashBlue);
    dx.Int(kFlashColorEdit, m_FlashColor);
    dx.Radio(kAutoWhite, m_WhiteBalance);
    dx.Radio(kDefaultCorrection, m_FlashColorCorrection);
    dx.Radio(kSlow, m_Speed);
}

bool CPropAdjust::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    CTRIPOD01Dlg& main = *m_pMainDlg;
    m_FlashColor = main.m_FlashChromaLevel;
    m_LiveColor = main.m_ChromaLevel;
    UpdateData(false);
    // Below class 3 the red and blue arrows start disabled and their edits show 0; under manual
    // white balance the live pair is shown and enabled again below.
    if (!camera_class::HasColourGains(main.m_CameraType)) {
        for (const int id : {kFlashRed, kFlashBlue, kLiveRed, kLiveBlue})
            EnableItem(id, false);
    } else {
        m_FlashRed = main.m_RedFlashOffset;
        m_FlashBlue = main.m_BlueFlashOffset;
        m_FlashColor = main.m_FlashChromaLevel;
        m_LiveRed = main.m_RedPreviewOffset;
        m_LiveBlue = main.m_BluePreviewOffset;
        m_LiveColor = main.m_ChromaLevel;
        UpdateData(false);
    }

    m_Speed = main.m_PTZSpeed;
    m_WhiteBalance = main.m_AutoWhite;
    if (main.m_AutoWhite == 0) {
        HoldLiveOffsetsAtZero();
    } else if (main.m_AutoWhite == 1) {
        m_LiveRed = main.m_RedPreviewOffset;
        m_LiveBlue = main.m_BluePreviewOffset;
        UpdateData(false);
        EnableItem(kLiveRed, true);
        EnableItem(kLiveBlue, true);
    }
    m_FlashColorCorrection = main.m_FlashColorCorrection;
    UpdateData(false);

    // The sheet goes left of the main dialog: make room for at least this page there.
    main.m_MainRect = main.frameGeometry();
    const int pageWidth = width();
    if (main.m_MainRect.left() < pageWidth)
        main.move(pageWidth + 2, main.m_MainRect.top());
    return true;
}

// --- the arrows ------------------------------------------------------------------------------

void CPropAdjust::SendLiveRedGain() {
    WriteArgument(HeadArgument::A,
                  GainByte(m_pMainDlg->m_RedLockGain + m_pMainDlg->m_RedPreviewOffset));
    SendPtzCommand(head::kRedGain);
}

void CPropAdjust::SendLiveBlueGain() {
    WriteArgument(HeadArgument::B,
                  GainByte(m_pMainDlg->m_BlueLockGain + m_pMainDlg->m_BluePreviewOffset));
    SendPtzCommand(head::kBlueGain);
}

void CPropAdjust::OnLiveRed(int position) {
    m_LiveRed = m_pMainDlg->m_RedPreviewOffset = position;
    SendLiveRedGain();
}

void CPropAdjust::OnLiveBlue(int position) {
    m_LiveBlue = m_pMainDlg->m_BluePreviewOffset = position;
    SendLiveBlueGain();
}

void CPropAdjust::OnLiveColor(int position) {
    m_LiveColor = m_pMainDlg->m_ChromaLevel = position;
    WriteArgument(HeadArgument::A, m_pMainDlg->m_ChromaLevel);
    SendPtzCommand(head::kColourLevel);
}

// The flash values reach the camera only when a flash picture is taken.
void CPropAdjust::OnFlashRed(int position) {
    m_FlashRed = m_pMainDlg->m_RedFlashOffset = position;
}

void CPropAdjust::OnFlashBlue(int position) {
    m_FlashBlue = m_pMainDlg->m_BlueFlashOffset = position;
}

void CPropAdjust::OnFlashColor(int position) {
    m_FlashColor = m_pMainDlg->m_FlashChromaLevel = position;
}

// --- white balance ---------------------------------------------------------------------------

void CPropAdjust::HoldLiveOffsetsAtZero() {
    m_pMainDlg->m_RedPreviewOffset = 0;
    m_pMainDlg->m_BluePreviewOffset = 0;
    m_LiveRed = 0;
    m_LiveBlue = 0;
    UpdateData(false);
    EnableItem(kLiveRed, false);
    EnableItem(kLiveBlue, false);
}

void CPropAdjust::EnterAutoWhite() {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    main.m_AutoWhite = 0;
    m_WhiteBalance = 0;
    SendPtzCommand(head::kAutoWhiteBalance);
    // The head needs this long to take the room's light again before anything else.
    sys::Wait(200);
    HoldLiveOffsetsAtZero();
    // The level is only remembered here; the camera keeps its own until the next step or start.
    main.m_ChromaLevel = kAutoWhiteColourLevel;
    EnableItem(kLiveColor, true);
}

void CPropAdjust::OnAutoWhite() {
    EnterAutoWhite();
    m_LiveColor = m_pMainDlg->m_ChromaLevel;
    UpdateData(false);
}

void CPropAdjust::OnManual() {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    UpdateData(true);
    main.m_AutoWhite = 1;
    // The gains in use become base + offset, so the picture stays as it is and each later step
    // moves the gain from there.
    main.ReadWhiteBalanceGains();
    main.m_RedLockGain = main.m_RedGainRead - main.m_RedPreviewOffset;
    main.m_BlueLockGain = main.m_BlueGainRead - main.m_BluePreviewOffset;
    SendPtzCommand(head::kManualColour);
    sys::Wait(50);
    EnableItem(kLiveRed, true);
    EnableItem(kLiveBlue, true);
    UpdateData(false);
}

// --- flash colour correction and speed -------------------------------------------------------

void CPropAdjust::OnFlashColorCorrection(int choice) {
    m_FlashColorCorrection = m_pMainDlg->m_FlashColorCorrection = choice;
    UpdateData(false);
}

void CPropAdjust::OnSpeed(int speed) {
    m_Speed = m_pMainDlg->m_PTZSpeed = speed;
}

// --- Page Defaults ---------------------------------------------------------------------------

void CPropAdjust::OnPageDefaults() {
    CTRIPOD01Dlg& main = *m_pMainDlg;
    EnterAutoWhite();
    // The edit shows the installation's level while the member stays at 72 until the next step.
    m_LiveColor = main.m_DefaultChromaPreviewLevel;
    UpdateData(false);
    sys::Wait(100);
    main.m_RedFlashOffset = main.m_DefaultRedFlashOffset;
    main.m_BlueFlashOffset = main.m_DefaultBlueFlashOffset;
    main.m_FlashChromaLevel = main.m_DefaultChromaFlashLevel;
    m_FlashRed = main.m_RedFlashOffset;
    m_FlashBlue = main.m_BlueFlashOffset;
    m_FlashColor = main.m_FlashChromaLevel;
    UpdateData(false);
    main.m_FlashDelay = 500;
    UpdateData(false);
}
