// The station's main dialog, CTRIPOD01Dlg: the window the operator works in for the whole run.
//
// The operator's settings are its members (it inherits StationSettings) and its handlers are
// named On plus the control or event. The class is one, but its behaviour lives in one file per
// group of handlers, and this header groups the members the same way:
//   MainDialog.cpp      controls of the dialog, data exchange, initialisation, About box
//   CameraStartup.cpp   camera start-up and shutdown, OnClose
//   Preview.cpp         the live preview timer, the preview window and the capture bitmap
//   Layout.cpp          the two screen layouts and the button pictures
//   PanTiltZoom.cpp     the keyboard filter, the hold-to-move buttons, Home and the zoom presets
//   SubjectDistance.cpp the subject-distance text and the flash step
//   IrisColor.cpp       DARKER and IRIS, flash off and on, the correction sliders, flash colour
//                       programming and the white-balance read
//   CaptureWorkflow.cpp capture, review and store
//   PictureOutput.cpp   where a stored picture goes, and the host hand-off file
//   AdjustSheetLink.cpp the "Adjust" sheet, which setup/ builds behind SetupSheet.h
//   FaceCenteringMoves.cpp double-click and drag on the preview, the set-offset step
//   CameraReconnect.cpp a camera that goes while the station runs, and comes back
//   HostMessages.cpp    requests from a host application and what it is told (HostState)
#pragma once

#include <QIcon>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/StationSettings.h"
#include "control/CameraModels.h"
#include "control/Steering.h"
#include "platform/ui/Dialog.h"
#include "station/CaptureState.h"
#include "station/DibSection.h"
#include "station/ExposureState.h"
#include "station/FaceCentering.h"
#include "station/FaceCenteringState.h"
#include "station/HostMessages.h"
#include "station/Layout.h"
#include "station/PreviewMouse.h"
#include "station/PreviewState.h"
#include "station/SetupSheetState.h"

class CDisplayWindow;
class QAction;

// The window-menu command that opens the About box.
inline constexpr int kSysAbout = 16;

// The working state (not the settings) is grouped the same way, one struct per group of
// handlers, inherited as the settings are, so every member keeps its plain m_ name.
class CTRIPOD01Dlg : public ui::Dialog,
                     public StationSettings,
                     public MotionState,
                     public PreviewState,
                     public ExposureState,
                     public CaptureState,
                     public HostStation,
                     public PreviewMouse,
                     public HostState,
                     public SetupSheetState,
                     public FaceCenteringState {
    Q_OBJECT

  public:
    explicit CTRIPOD01Dlg(QWidget* parent = nullptr);
    ~CTRIPOD01Dlg() override;

    // --- life cycle (MainDialog.cpp) ---------------------------------------------------------
    bool OnInitDialog() override;
    void OnOK() override;      // Enter never ends the dialog
    void OnCancel() override;  // Escape asks to close, so the camera and settings are closed
    void OnSysCommand(int command);
    void OnAbout();

    // --- camera start-up and shutdown (CameraStartup.cpp) -----------------------------------
    void ConfigureStream();
    void Init_Camera();
    void ApplyColorSettings();
    void ApplyImageSettings();
    void RestoreZoomPosition();
    void DetectCameraType();
    void RestoreLiveStream();
    void ReadZoomPosition();
    void OnClose() override;

    // --- live preview (Preview.cpp) ----------------------------------------------------------
    int StartPreview();
    int StopPreview();
    void OnTimer(int id) override;
    bool CreatePreviewWindow();
    // Puts the preview window in the top-left corner with the size of the crop as shown, so
    // that it shows the crop one to one (after every change of the crop or the rotation).
    void FitPreviewWindow();
    // The rotation 0, 1 or 2 for the settings and the preview window, which is fitted to it.
    void SetVideoRotation(int rotation);
    // Shows `text` in the status line over the live picture until it is set empty.
    void ShowStatus(const QString& text);
    int CreateCaptureBitmap();
    int ReadCaptureFrame();

    // --- the camera going and coming back (CameraReconnect.cpp) -------------------------------
    // Register 23 and the stream: the first part of the camera's start-up.
    void StartStream();
    // The live picture found the camera gone: it is let go, the status line says so, and the
    // reconnect timer looks for it.
    void OnCameraGone();
    // One look for the camera (the reconnect timer): when it is back it is opened, its stream
    // started and the live picture resumed; the camera head follows (RestartCameraHead).
    void LookForCamera();
    // The rest of the start-up for a camera that came back; a different model ends the station.
    void RestartCameraHead();
    // While a picture is reviewed nothing is read from the camera: the reconnect timer asks
    // once a second whether it is still there, and a review it outlives is abandoned.
    void WatchCamera();

    // --- layouts (Layout.cpp) ----------------------------------------------------------------
    void ApplyLawEnforcementLayout();
    void ApplyStandardLayout();
    void CenterCropRect();
    void LoadButtonPictures();

    // --- pan, tilt and zoom (PanTiltZoom.cpp) ------------------------------------------------
    bool PreTranslateMessage(const ui::KeyMessage& message) override;
    bool OnSetCursor(int id, ui::MouseMessage message) override;
    void OnKeyDown(int qtKey) override;
    void OnFocusLost() override;
    void OnHome();
    void SavePTZPosition();
    void OnPreset1();
    void OnPreset2();
    void OnPreset3();

    // --- subject distance (SubjectDistance.cpp) ----------------------------------------------
    void UpdateSubjectDistance();
    void InitFlashStep();

    // --- iris, brightness and colour (IrisColor.cpp) -----------------------------------------
    void OnDarker();
    void OnIris();
    void OnFlashOff();
    void OnFlashOn();
    // A user's move of the red or blue correction slider (its control id).
    void OnVScroll(int sliderId);
    void OnDefaultCorrection();
    void ProgramFlashColor();
    void ReadWhiteBalanceGains();

    // --- capture (CaptureWorkflow.cpp) -------------------------------------------------------
    void OnCapture();
    // The frame read into the capture bitmap, to the corrected picture stored or under review;
    // false when the capture was abandoned.
    bool ProcessCapture();
    // The one place the capture phase changes; m_ControlsDisabled follows it.
    void EnterCapturePhase(CapturePhase phase);
    // Rebuilds the picture under review from the kept pixels with the corrections in force.
    void ApplyCaptureCorrection();
    // true: the live layout; false: the review layout with the correction controls, their
    // sliders at the corrections in force.
    void ShowLiveControls(bool show);
    void ShowSaveButtons();
    void OnSave();
    void OnDontSave();
    void OnPreviewCapture();

    // --- picture output (PictureOutput.cpp) --------------------------------------------------
    // Stores m_CaptureImage where m_CaptureType says and empties it; 1 or more when stored.
    int SaveCapturedImage();
    // Makes the hand-off folder and publishes the hand-off file's path for the host. Returns 1.
    int PrepareHostHandOff();

    // --- host messages (HostMessages.cpp) ------------------------------------------------------
    // Requests from `server` reach the host handlers, and each store of the capture workflow
    // is reported to the registered host. nullptr: this run has no host messages.
    void AttachHostLink(hostlink::HostLinkServer* server);
    void HostHide() override;
    void HostShow() override;
    void HostClose() override;
    void CaptureToHost() override;
    bool PictureUnderReview() const override;
    QWidget& HostWindow() override;

    // --- face centering (FaceCenteringMoves.cpp) ----------------------------------------------
    // The preview window's left-button press, double-click and release (its points in window
    // pixels; `press` is the point the release is measured from).
    void OnPreviewPress(QPoint point) override;
    void OnPreviewDoubleClick(QPoint point) override;
    void OnPreviewRelease(QPoint press, QPoint point) override;

    // --- the "Adjust" sheet (AdjustSheetLink.cpp; built by setup/) ---------------------------
    // The maker of every main dialog's sheet from now on; the program's main sets it.
    static void SetSetupSheetMaker(SetupSheetMaker maker);
    // Makes the sheet object (no window yet) and connects "&Adjust"; part of initialisation.
    void CreateAdjustSheet();
    void OnAdjust();
    // Closes an open sheet: its pages' destroy handlers run (the close does this before the
    // settings are saved).
    void CloseAdjustSheet();
    // An open Auto Position page shows the centre offsets again (after the set-offset step).
    void ShowCenterOffsetsOnSheet();
    // The sheet takes no input while a captured picture is under review.
    void EnableAdjustSheet(bool enable);
    // An open sheet is hidden and shown again with the station when a host asks.
    void ShowAdjustSheetWithStation(bool show);

    // Camera model class: 0 unknown, 1, 3, 4 or 5 (see CameraModels.h). Every group reads it.
    int32_t m_CameraType = 0;

    QIcon m_hIcon;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    // Face centering (FaceCenteringMoves.cpp): the settings a move reads; reads the zoom, takes
    // the factor and sends the move `moveForFactor(factor)` gives; makes a point the target.
    face::CenteringFrame CenteringFrame() const;
    template <class MoveForFactor>
    void SendFaceMove(MoveForFactor moveForFactor);
    void SetCenterOffsetAt(QPoint point);

    void CreateControls();
    // The message map: which handler each control's command reaches.
    void MapCommands();
    // "About" in the context menu and on F1 (once).
    void AddAboutCommand();
    // The operator's settings from the settings key, the screen size for the window's defaults.
    void LoadStationSettings();

    // Pan, tilt and zoom (PanTiltZoom.cpp): the steering machine over this dialog's motion
    // state with the settings in force, and what the operator sees of an action it asks for
    // (`id`: the control the pointer is over, 0 for a key).
    Steering Steer();
    void ShowSteeringAction(SteeringAction action, int id);

    // Iris steps (IrisColor.cpp).
    bool IrisLocked();  // shows the lock box when locked
    void EnterManualExposure();

    void ShowBrightnessForFlashSetting();
    void SaveStationSettings();
    // Tells the operator, once and quietly, when the settings cannot be stored; a later store
    // that succeeds takes the line away.
    void NoteSettingsStored(bool stored);
    // The outer window size (frame and caption included) for a picture area of W x H; shows
    // the window.
    void ResizeForPicture();
    void FitOuterSize();
    // Moves (and where the table says, sizes) each control of a layout and shows it.
    void PlaceControls(const std::vector<ControlPlacement>& placements);
    // Ends a capture that produced no picture: nothing stored, live again; the host is told
    // `hostReason`, the operator `message`.
    void AbandonCapture(const char* message, const char* hostReason);
    // Leaves the review for the live picture (after Save and Don't Save).
    void EndReview();
    // The camera went during the review: nothing is stored, the live layout is back and the
    // host is told; TellNoPicture then tells the operator as for a capture without a picture.
    void AbandonReview();
    void TellNoPicture();
    // Stores the picture and tells the host when it was stored.
    void StoreCapturedImage();

    DibSection m_CaptureBitmap;
    QSize m_OuterSize;          // the window size the layout asks for, frame included
    int m_MinClientHeight = 0;  // the least client height that holds the layout's column
    QAction* m_AboutAction = nullptr;
    // The model number the camera reported at start-up; a camera that comes back must report
    // the same.
    int32_t m_CameraModel = 0;
    // A camera that came back has its head started once its first frame has been shown.
    enum class HeadRestart { kNone, kAfterFirstFrame, kNow };
    HeadRestart m_HeadRestart = HeadRestart::kNone;
    bool m_CameraLost = false;  // between the loss of the camera and its return
};

// Timer 1 drives the live preview; timer 2 looks for a camera that went.
inline constexpr int kPreviewTimer = 1;
inline constexpr int kReconnectTimer = 2;
// The main dialog's caption, by which hosts and later copies find the station.
inline constexpr char kStationCaption[] = "ZelvoCam USB";
