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
//   IrisColor.cpp       flash colour programming and the white-balance read
//   CaptureWorkflow.cpp capture, review and store
//   HeadLink.cpp        (free functions) head commands and their arguments
#pragma once

#include <QIcon>
#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/StationSettings.h"
#include "platform/ui/Dialog.h"
#include "station/CaptureState.h"
#include "station/DibSection.h"
#include "station/ExposureState.h"
#include "station/Layout.h"
#include "station/MotionState.h"
#include "station/PreviewState.h"

class CDisplayWindow;
class QAction;

// The command that opens the About box (it used to be a system-menu item).
inline constexpr int kSysAbout = 16;

// The working state (not the settings) is grouped the same way, one struct per group of
// handlers, inherited as the settings are, so every member keeps its plain m_ name.
class CTRIPOD01Dlg : public ui::Dialog,
                     public StationSettings,
                     public MotionState,
                     public PreviewState,
                     public ExposureState,
                     public CaptureState {
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

    // --- iris, brightness and colour (IrisColor.cpp) -----------------------------------------
    void ProgramFlashColor();
    void ReadWhiteBalanceGains();

    // --- capture (CaptureWorkflow.cpp) -------------------------------------------------------
    // Rebuilds the picture under review from the kept pixels with the corrections in force.
    void ApplyCaptureCorrection();

    // Camera model class: 0 unknown, 1, 3, 4 or 5 (see CameraModels.h). Every group reads it.
    int32_t m_CameraType = 0;

    QIcon m_hIcon;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void CreateControls();
    void ShowBrightnessForFlashSetting();
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
