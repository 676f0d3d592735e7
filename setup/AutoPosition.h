// The "Auto Position" page of the "Adjust" sheet, for the cameras that can be
// positioned with the mouse (classes 4 and 5): how to centre and move a face feature on the
// live preview, the centre offsets with the "Set Offset" step that sets them, and the two
// direction-reversal switches of manual pan and tilt.
//
// The page sends nothing to the camera; it reads and writes main-dialog members only. The
// mouse handling itself is the preview window's (station/FaceCenteringMoves.cpp).
#pragma once

#include <QString>

#include "platform/ui/PropertySheet.h"

class CTRIPOD01Dlg;

class CAutoPosition : public ui::PropertyPage {
    Q_OBJECT

  public:
    // Control ids.
    static constexpr int kXOffset = 1182;  // read-only
    static constexpr int kYOffset = 1181;  // read-only
    static constexpr int kSetOffset = 1183;
    static constexpr int kPanReverse = 1176;
    static constexpr int kTiltReverse = 1129;
    static constexpr int kInstructions = 1191;  // read-only, several lines

    CAutoPosition();
    ~CAutoPosition() override;

    void SetMainDialog(CTRIPOD01Dlg* mainDlg) { m_pMainDlg = mainDlg; }

    bool OnInitDialog() override;
    void OnDestroy() override;
    void OnPanReverse();
    void OnTiltReverse();
    void OnSetOffset();
    // The set-offset step has ended: the boxes show the offsets it set.
    void ShowCenterOffsets();

    // The instructions, a line for each of their pieces.
    static QString InstructionText();

    CTRIPOD01Dlg* m_pMainDlg = nullptr;
};
