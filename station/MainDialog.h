// The station's main dialog, CTRIPOD01Dlg: the window the operator works in for the whole run.
//
// The operator's settings are its members (it inherits StationSettings) and its handlers are
// named On plus the control or event. The class is one, but its behaviour lives in one file per
// group of handlers, and this header groups the members the same way:
//   MainDialog.cpp      controls of the dialog, data exchange, initialisation, About box
//   CameraStartup.cpp   camera start-up and shutdown, OnClose
//   Preview.cpp         the live preview timer, the preview window and the capture bitmap
//   Layout.cpp          the two screen layouts and the button pictures
//   SubjectDistance.cpp the subject-distance text and the flash step
//   HostMessages.cpp    requests from a host application and what it is told (HostState)
#pragma once

#include <QIcon>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "capture/StationSettings.h"
#include "platform/ui/Dialog.h"
#include "station/DibSection.h"
#include "station/HostMessages.h"
#include "station/Layout.h"

class CDisplayWindow;
class QAction;

// The command that opens the About box (it used to be a system-menu item).
inline constexpr int kSysAbout = 16;

class CTRIPOD01Dlg : public ui::Dialog, public StationSettings, public HostState {
    Q_OBJECT
    friend class HostState;

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
    int CreateCaptureBitmap();
    int ReadCaptureFrame();

    // --- layouts (Layout.cpp) ----------------------------------------------------------------
    void ApplyLawEnforcementLayout();
    void ApplyStandardLayout();
    void CenterCropRect();
    void LoadButtonPictures();

    // --- subject distance (SubjectDistance.cpp) ----------------------------------------------
    void UpdateSubjectDistance();
    void InitFlashStep();

    // Camera model class: 0 unknown, 1, 3, 4 or 5 (see CameraModels.h).
    int32_t m_CameraType = 0;
    // The text of the subject-distance field 1033.
    std::string m_SubjectDistance;
    // Flash brightness step 1 to 8 derived from m_FlashIrisLevel; 0 until first derived.
    int32_t m_FlashStep = 0;
    // Flash colour gain bases, set by the start-up hand-shake.
    int32_t m_RedFlashBase = 0;
    int32_t m_BlueFlashBase = 0;

    // Motion state shared by the keyboard and the hold-to-move buttons.
    int32_t m_UpActive = 0;
    int32_t m_DownActive = 0;
    int32_t m_LeftActive = 0;
    int32_t m_RightActive = 0;
    int32_t m_MouseMoving = 0;
    int32_t m_NudgeCount = 0;
    int32_t m_ShiftDown = 0;
    int32_t m_ControlDown = 0;
    int32_t m_ControlsDisabled = 0;

    // Live preview. m_CreatePreview 1: the next tick creates the preview window and both
    // bitmaps instead of reading a frame. m_PreviewRunning 1: frames are shown.
    int32_t m_CreatePreview = 0;
    int32_t m_PreviewRunning = 0;
    CDisplayWindow* m_hPreviewWnd = nullptr;  // child 76, owned by the dialog
    BitmapInfoHeader m_CaptureBitmapInfo{};
    uint8_t* m_pCaptureBits = nullptr;  // kFrameBytes, nullptr until the first tick

    QIcon m_hIcon;

    // Called by the capture workflow after each successful store.
    std::function<void(const std::string& path)> m_CaptureStoredHook;  // "" for the clipboard

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void CreateControls();
    void ShowBrightnessForFlashSetting();
    void ClearMotionState();
    void SaveStationSettings();
    // The outer window size (frame and caption included) for a picture area of W x H; shows
    // the window.
    void ResizeForPicture();
    void FitOuterSize();
    // Moves (and where the table says, sizes) each control of a layout and shows it.
    void PlaceControls(const std::vector<ControlPlacement>& placements);

    DibSection m_CaptureBitmap;
    QSize m_OuterSize;  // the window size the layout asks for, frame included
    QAction* m_AboutAction = nullptr;
};

// Timer 1 drives the live preview.
inline constexpr int kPreviewTimer = 1;
// The main dialog's caption, by which hosts and later copies find the station.
inline constexpr char kStationCaption[] = "ZelvoCam USB";
