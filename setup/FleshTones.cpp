// The Flesh Tones page.
#include "setup/FleshTones.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "control/ColourSequences.h"
#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/UpDown.h"
#include "station/MainDialog.h"

namespace {

using C = CPropAdjust;

// One stepped value: its label, read-only edit and up-down, the range and where the row sits.
struct ValueRow {
    const char* label;
    int edit;
    int upDown;
    int lower, upper;
    int x, y;  // the label's corner; the edit and arrows follow on its right
};

// In the order the operator reads them: the live column, then the flash column. Flash Blue
// reaches further up than the others: flash light needs more blue than the room's.
constexpr ValueRow kValueRows[] = {
    {"Live Red", C::kLiveRedEdit, C::kLiveRed, -25, 25, 20, 30},
    {"Live Blue", C::kLiveBlueEdit, C::kLiveBlue, -25, 25, 20, 60},
    {"Live Color", C::kLiveColorEdit, C::kLiveColor, 20, 100, 20, 90},
    {"Flash Red", C::kFlashRedEdit, C::kFlashRed, -25, 25, 230, 30},
    {"Flash Blue", C::kFlashBlueEdit, C::kFlashBlue, -25, 50, 230, 60},
    {"Flash Color", C::kFlashColorEdit, C::kFlashColor, 20, 100, 230, 90},
};

struct RadioButton {
    int id;
    const char* caption;
    int x, y;
};

constexpr RadioButton kRadioButtons[] = {
    {C::kAutoWhite, "Auto White", 20, 152},
    {C::kManual, "Manual", 20, 178},
    {C::kDefaultCorrection, "Default", 230, 152},
    {C::kFluorescent, "Fluorescent", 230, 178},
    {C::kSlow, "Slow", 20, 258},
    {C::kMed, "Med", 96, 258},
    {C::kFast, "Fast", 172, 258},
};

}  // namespace

CPropAdjust::CPropAdjust() : ui::PropertyPage(QStringLiteral("Flesh Tones"), QSize(428, 296)) {
    // The trailing blank of the white-balance title is the template's.
    AddGroupBox(QStringLiteral("Live Adjustments"), {8, 6, 202, 116});
    AddGroupBox(QStringLiteral("Flash Adjustments"), {218, 6, 202, 116});
    AddGroupBox(QStringLiteral("Auto White Balance "), {8, 130, 202, 96});
    AddGroupBox(QStringLiteral("Flash Color Correction"), {218, 130, 202, 96});
    AddGroupBox(QStringLiteral("Pan/Tilt/Zoom Speed"), {8, 236, 244, 52});

    for (const ValueRow& row : kValueRows) {
        AddLabel(QString::fromLatin1(row.label), {row.x, row.y + 3, 80, 18});
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignRight);
        AddControl(row.edit, edit);
        MoveItem(row.edit, row.x + 86, row.y, 52, 24);
        auto* upDown = new ui::UpDown;
        AddControl(row.upDown, upDown);
        upDown->SetBuddy(edit);
        MoveItem(row.upDown, row.x + 138, row.y, 18, 24);
    }
    // Flash delay has no control of its own; its label stays hidden.
    AddLabel(QStringLiteral("Flash Delay"), {230, 204, 80, 18})->hide();

    for (const RadioButton& button : kRadioButtons) {
        AddControl(button.id, new QRadioButton(QString::fromLatin1(button.caption)));
        MoveItem(button.id, button.x, button.y, 100, 20);
    }
    AddRadioGroup({kAutoWhite, kManual});
    AddRadioGroup({kDefaultCorrection, kFluorescent});
    AddRadioGroup({kSlow, kMed, kFast});
    AddControl(kAccurate, new QPushButton(QStringLiteral("Accurate")));
    MoveItem(kAccurate, 120, 162, 80, 26);
    EnableItem(kAccurate, false);
    AddControl(kPageDefaults, new QPushButton(QStringLiteral("Page Defaults")));
    MoveItem(kPageDefaults, 306, 254, 114, 28);

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
    using ValueCommand = void (CPropAdjust::*)(int);
    static constexpr struct {
        int id;
        ValueCommand handler;
        int value;
    } kCommandMap[] = {
        {kDefaultCorrection, &CPropAdjust::OnFlashColorCorrection, 0},
        {kFluorescent, &CPropAdjust::OnFlashColorCorrection, 1},
        {kSlow, &CPropAdjust::OnSpeed, 0},
        {kMed, &CPropAdjust::OnSpeed, 1},
        {kFast, &CPropAdjust::OnSpeed, 2},
    };
    for (const auto& command : kCommandMap) {
        MapCommand(command.id, [this, handler = command.handler, value = command.value] {
            (this->*handler)(value);
        });
    }
    MapCommand(kAutoWhite, [this] { OnAutoWhite(); });
    MapCommand(kManual, [this] { OnManual(); });
    MapCommand(kPageDefaults, [this] { OnPageDefaults(); });
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
    for (const ValueRow& row : kValueRows)
        Item<ui::UpDown>(row.upDown)->SetRange(row.lower, row.upper);

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
