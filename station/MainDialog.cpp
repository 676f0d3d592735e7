// The main dialog's controls, data exchange, initialisation order and About box.
#include "station/MainDialog.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>

#include "device/Camera.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Clock.h"
#include "platform/ui/ControlRow.h"
#include "platform/ui/Services.h"
#include "station/AboutDialog.h"
#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "station/Layout.h"

namespace {

using K = ui::ControlKind;
// A value the dialog shows and the operator can only read.
constexpr unsigned kShownValue = ui::kReadOnly | ui::kAlignCenter;

// The main dialog's controls as they are created: the place of each is where it sits before a
// layout moves it (the layouts place every control of the live column; the correction set and
// the review buttons are placed when a captured picture is reviewed). Picture buttons show
// their picture; the caption names them. Group boxes come first so that they lie under the
// controls they frame.
constexpr ui::ControlRow kDialogControls[] = {
    {ids::kPanTiltGroup, K::kGroupBox, "Pan/Tilt", 639, 6, 80, 120},
    {ids::kZoomGroup, K::kGroupBox, "Zoom", 640, 153, 80, 54},
    {ids::kZoomControlGroup, K::kGroupBox, "Zoom Control", 639, 35, 100, 140},
    {ids::kBrightnessGroup, K::kGroupBox, "Brightness", 629, 205, 115, 100},
    {ids::kUseFlashGroup, K::kGroupBox, "Use Flash", 638, 321, 93, 55},
    {ids::kPreviewCaptureGroup, K::kGroupBox, "Preview Capture", 638, 388, 96, 55},
    {ids::kColorCorrectionGroup, K::kGroupBox, "Color Correction", 646, 10, 100, 465, ui::kHidden},

    {ids::kHome, K::kButton, "Home", 639, 6, 85, 22},
    {ids::kPreset1, K::kRadio, "Preset 1", 644, 55, 92, 16},
    {ids::kPreset2, K::kRadio, "Preset 2", 644, 75, 92, 16},
    {ids::kPreset3, K::kRadio, "Preset 3", 644, 95, 92, 16},
    {ids::kManualZoom, K::kRadio, "Manual Zoom", 644, 115, 92, 16},
    {ids::kTiltUp, K::kPictureButton, "", 664, 24, 26, 26, ui::kPlain, {}, "Tilt up"},
    {ids::kPanLeft, K::kPictureButton, "", 646, 56, 26, 26, ui::kPlain, {}, "Pan left"},
    {ids::kPanRight, K::kPictureButton, "", 679, 56, 26, 26, ui::kPlain, {}, "Pan right"},
    {ids::kTiltDown, K::kPictureButton, "", 664, 89, 26, 26, ui::kPlain, {}, "Tilt down"},
    {ids::kZoomIn, K::kPictureButton, "ZOOMIN", 646, 135, 25, 25, ui::kPlain, {}, "Zoom in"},
    {ids::kZoomOut, K::kPictureButton, "ZOOM OUT", 685, 135, 25, 25, ui::kPlain, {}, "Zoom out"},
    {ids::kIris, K::kPictureButton, "IRIS", 644, 225, 30, 26, ui::kPlain, {}, "Brighter"},
    {ids::kDarker, K::kPictureButton, "DARKER", 682, 225, 30, 26, ui::kPlain, {}, "Darker"},
    {ids::kSubjectDistanceLabel, K::kLabel, "Subject Distance", 636, 255, 100, 12},
    {ids::kSubjectDistance, K::kEdit, "", 649, 270, 65, 20, kShownValue},
    {ids::kCapture, K::kButton, "&CAPTURE", 0, 482, 640, 25},
    {ids::kFlashOff, K::kRadio, "Flash Off", 644, 336, 75, 16},
    {ids::kFlashOn, K::kRadio, "Flash On", 644, 358, 75, 16},
    {ids::kAdjust, K::kButton, "&Adjust", 635, 469, 95, 22},
    {ids::kPreviewYes, K::kRadio, "Yes", 650, 402, 44, 16},
    {ids::kPreviewNo, K::kRadio, "No", 650, 425, 38, 16},

    // Shown only while a captured picture is reviewed.
    {ids::kRedLabel, K::kLabel, "Red", 671, 36, 30, 14, ui::kHidden},
    {ids::kRedSlider, K::kSlider, "", 669, 50, 30, 125, ui::kHidden},
    {ids::kRedValue, K::kEdit, "0", 664, 180, 40, 20, ui::kHidden | kShownValue},
    {ids::kBlueLabel, K::kLabel, "Blue", 671, 242, 30, 14, ui::kHidden},
    {ids::kBlueSlider, K::kSlider, "", 669, 256, 30, 125, ui::kHidden},
    {ids::kBlueValue, K::kEdit, "0", 664, 386, 40, 20, ui::kHidden | kShownValue},
    {ids::kDefaultCorrection, K::kButton, "Default", 654, 440, 60, 22, ui::kHidden},
    {ids::kDontSave, K::kButton, "Don't Save", 312, 468, 312, 25, ui::kHidden},
    {ids::kSave, K::kButton, "Save", 0, 468, 312, 25, ui::kHidden},
};

}  // namespace

CTRIPOD01Dlg::CTRIPOD01Dlg(QWidget* parent)
    : ui::Dialog(parent), HostState(static_cast<HostStation&>(*this)) {
    setWindowTitle(QString::fromUtf8(kStationCaption));
    // A fixed-size window with a caption, a system menu and a minimise box, above the others.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    // The control sizes were made for a small, narrow dialog font; this one fits them.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    dialogFont.setStretch(92);
    setFont(dialogFont);
    // Group boxes with the caption on the frame's top line, so the layout's offsets leave the
    // same room inside every group.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }"));
    m_hIcon = LoadApplicationIcon();
    CreateControls();
    MapCommands();
    for (int id : {ids::kZoomIn, ids::kZoomOut, ids::kTiltUp, ids::kTiltDown, ids::kPanLeft,
                   ids::kPanRight}) {
        PointerButtons().Watch(id);
    }
    PointerButtons().TakeRightPress(ids::kHome);  // saves the Home position
    FilterKeys();
    resize(754, 600);
}

CTRIPOD01Dlg::~CTRIPOD01Dlg() = default;

void CTRIPOD01Dlg::CreateControls() {
    AddControls(kDialogControls);
    // In the turned Law Enforcement column the label sits just above the field; its text keeps
    // to the top so the field never hides it.
    Item<QLabel>(ids::kSubjectDistanceLabel)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    GetDlgItem(ids::kSubjectDistanceLabel)->raise();
    AddRadioGroup({ids::kPreviewNo, ids::kPreviewYes});
    AddRadioGroup({ids::kPreset1, ids::kPreset2, ids::kPreset3, ids::kManualZoom});
    AddRadioGroup({ids::kFlashOff, ids::kFlashOn});
}

void CTRIPOD01Dlg::MapCommands() {
    using Command = void (CTRIPOD01Dlg::*)();
    static constexpr std::pair<int, Command> kCommandMap[] = {
        {ids::kHome, &CTRIPOD01Dlg::OnHome},
        {ids::kPreset1, &CTRIPOD01Dlg::OnPreset1},
        {ids::kPreset2, &CTRIPOD01Dlg::OnPreset2},
        {ids::kPreset3, &CTRIPOD01Dlg::OnPreset3},
        {ids::kDarker, &CTRIPOD01Dlg::OnDarker},
        {ids::kIris, &CTRIPOD01Dlg::OnIris},
        {ids::kFlashOff, &CTRIPOD01Dlg::OnFlashOff},
        {ids::kFlashOn, &CTRIPOD01Dlg::OnFlashOn},
        {ids::kDefaultCorrection, &CTRIPOD01Dlg::OnDefaultCorrection},
        {ids::kCapture, &CTRIPOD01Dlg::OnCapture},
        {ids::kSave, &CTRIPOD01Dlg::OnSave},
        {ids::kDontSave, &CTRIPOD01Dlg::OnDontSave},
        {ids::kPreviewNo, &CTRIPOD01Dlg::OnPreviewCapture},
        {ids::kPreviewYes, &CTRIPOD01Dlg::OnPreviewCapture},
    };
    for (const auto& [id, handler] : kCommandMap)
        MapCommand(id, [this, handler] { (this->*handler)(); });
    for (int slider : {ids::kRedSlider, ids::kBlueSlider})
        MapCommand(slider, [this, slider] { OnVScroll(slider); });
}

void CTRIPOD01Dlg::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    dx.Radio(ids::kPreviewNo, m_PreviewCapture);
    dx.Radio(ids::kPreset1, m_ZoomPreset);
    dx.Text(ids::kSubjectDistance, m_SubjectDistance);
    dx.Radio(ids::kFlashOff, m_FlashCapture);
}

void CTRIPOD01Dlg::ShowBrightnessForFlashSetting() {
    if (m_FlashCapture == 1) {
        UpdateSubjectDistance();
        SetDlgItemText(ids::kBrightnessGroup, QStringLiteral("Flash Brightness"));
    } else {
        SetDlgItemText(ids::kBrightnessGroup, QStringLiteral("Live Brightness"));
        m_SubjectDistance = "NA";
        SetDlgItemText(ids::kSubjectDistance, QStringLiteral("NA"));
    }
}

void CTRIPOD01Dlg::AddAboutCommand() {
    // There is no system menu to extend here: the About command sits in the dialog's context
    // menu and on F1.
    if (m_AboutAction != nullptr)
        return;
    m_AboutAction = new QAction(QStringLiteral("&About ZelvoCam USB 8.004"), this);
    m_AboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_AboutAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_AboutAction, &QAction::triggered, this, Handler([this] { OnSysCommand(kSysAbout); }));
    addAction(m_AboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CTRIPOD01Dlg::LoadStationSettings() {
    RegistryKey key(kStationSettingsKey);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->size() : QSize(1024, 768);
    LoadSettingsSteps steps;
    steps.afterFlashCapture = [this] { ShowBrightnessForFlashSetting(); };
    steps.afterRotationAngle = [this] { UpdateData(false); };
    NoteSettingsStored(LoadSettings(*this, key, {screenSize.width(), screenSize.height()}, steps));
}

bool CTRIPOD01Dlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ClearMotionState();

    AddAboutCommand();
    setWindowIcon(m_hIcon);

    for (int slider : {ids::kRedSlider, ids::kBlueSlider}) {
        Item<QSlider>(slider)->setRange(-50, 50);
        Item<QSlider>(slider)->setValue(0);
    }

    LoadStationSettings();
    move(m_WindowLeft, m_WindowTop);

    CreateAdjustSheet();

    LoadButtonPictures();
    MoveItem(ids::kCapture, 0, 482, 640, 25);

    m_CameraType = camera_class::kUnknown;
    m_CreatePreview = 1;
    if (OpenCamera() != kCameraOk) {
        ui::MessageBox(this, "Failure to start device", "Error 0");
        ui::ExitProcess(1);
        return false;
    }
    StartStream();
    Init_Camera();

    if (m_Interface == 0) {
        ApplyLawEnforcementLayout();
    } else {
        ApplyStandardLayout();
    }

    DetectCameraType();
    if (m_CameraType == camera_class::kUnknown)
        DetectCameraType();
    if (m_CameraType == camera_class::kUnknown) {
        ui::MessageBox(this, "Camera not found, Close and restart application ");
        // The process ends here without a close request: the camera is let go first, so it is
        // not left streaming.
        CloseCamera();
        ui::ExitProcess(2);
        return false;
    }

    InitFlashStep();
    m_CreatePreview = 1;
    SetTimer(kPreviewTimer, 20);

    PrepareHostHandOff();

    m_CaptureType = destination::kHostHandOff;  // a fresh station hands its pictures to the host
    return true;
}

void CTRIPOD01Dlg::OnOK() {}

void CTRIPOD01Dlg::OnCancel() {
    // Escape asks to close like the close box does, so the camera is let go, the operator's
    // changes are stored and a waiting host is told.
    close();
}

void CTRIPOD01Dlg::OnSysCommand(int command) {
    if ((command & 0xFFF0) == kSysAbout)
        OnAbout();
}

void CTRIPOD01Dlg::OnAbout() {
    CAboutDlg about(this);
    about.DoModal();
}
