// The "Crop" page of the "Adjust" sheet: which part of the camera picture is
// shown and captured (a fixed width-to-height ratio or a custom size), the picture turned for
// a camera mounted on its side, and the name of the connected camera model.
//
// Every choice takes effect at once: the main dialog's crop size changes, the dialog is laid
// out again around the new picture and the live picture is fitted to it, so the operator sees
// exactly what a capture will store. A custom size is held to what the frame allows for the
// rotation, and the values used are shown back in the edits.
#pragma once

#include <QString>

#include "platform/ui/PropertySheet.h"

class CTRIPOD01Dlg;

class CPropPageCrop : public ui::PropertyPage {
    Q_OBJECT

  public:
    // Control ids.
    static constexpr int kNoCropping = 1103;  // radio group, choices 0 to 5
    static constexpr int kFourFifths = 1104;
    static constexpr int kThreeQuarters = 1105;
    static constexpr int kTwoThirds = 1106;
    static constexpr int kSquare = 1216;
    static constexpr int kCustom = 1107;
    static constexpr int kWidthEdit = 1109;   // "Horizonal"; read-only unless "Custom"
    static constexpr int kHeightEdit = 1108;  // "Vertical"; read-only unless "Custom"
    static constexpr int kResize = 1110;
    static constexpr int kRotation0 = 1193;  // radio group, rotations 0, 1, 2
    static constexpr int kRotation90 = 1194;
    static constexpr int kRotation270 = 1195;
    static constexpr int kCameraTypeEdit = 1131;  // read-only

    static constexpr int kCustomChoice = 5;  // the last of the crop choices

    CPropPageCrop();
    ~CPropPageCrop() override;

    void SetMainDialog(CTRIPOD01Dlg* mainDlg) { m_pMainDlg = mainDlg; }

    bool OnInitDialog() override;
    // "No Cropping" (0), "4/5", "3/4", "2/3" and "1/1" (4).
    void OnCropChoice(int choice);
    void OnCustom();
    // "Resize", and the last step of every other choice: takes the two sizes into the main
    // dialog and lays it out again.
    void OnResize();
    void OnRotation0();
    // "90" (1) and "270" (2).
    void OnRotationTurned(int rotation);

    CTRIPOD01Dlg* m_pMainDlg = nullptr;
    // The page's copies for the data exchange.
    int m_CropChoice = -1;
    int m_RotationChoice = -1;
    QString m_Width;
    QString m_Height;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;

  private:
    void SetSizeTexts(const char* width, const char* height, bool editable);
    // "2/3", "3/4" and "4/5", and with them "1/1" when `square` is true.
    void EnableNarrowChoices(bool enable, bool square);
};

// A size as typed: leading blanks, an optional sign and the digits that follow, the rest
// ignored; 0 when no digit follows, and the nearest end of int for a number beyond it.
int ParseLeadingInteger(const QString& text);
