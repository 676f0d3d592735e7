// The "Flesh Tones" page of the "Adjust" sheet: how skin comes out. The red and
// blue balance and the colour level of the live picture and of flash pictures, the white-balance
// mode, the flash colour correction and the pan/tilt/zoom speed.
//
// Live values reach the camera with each arrow step; the flash values and the flash colour
// correction are only kept in the main dialog until a flash picture is taken, and the speed
// until the next pan/tilt/zoom move. Every value lives in the main dialog; the page keeps copies
// for its data exchange, which show what the page last showed (not always the member: "Page
// Defaults" shows the stored default colour level while the live level stays 72).
//
// White balance is automatic (the live red and blue offsets held at 0, their arrows disabled)
// or manual: "Manual" reads the gains the camera uses now and takes them less the offsets as the
// bases, so that the picture does not jump and each later step moves the gain from there.
#pragma once

#include "platform/ui/PropertySheet.h"

class CTRIPOD01Dlg;

class CPropAdjust : public ui::PropertyPage {
    Q_OBJECT

  public:
    // Control ids. Each value is a read-only edit stepped by its up-down.
    static constexpr int kLiveRedEdit = 1123;
    static constexpr int kLiveRed = 1111;
    static constexpr int kLiveBlueEdit = 1114;
    static constexpr int kLiveBlue = 1113;
    static constexpr int kLiveColorEdit = 1116;
    static constexpr int kLiveColor = 1115;
    static constexpr int kFlashRedEdit = 1118;
    static constexpr int kFlashRed = 1117;
    static constexpr int kFlashBlueEdit = 1120;
    static constexpr int kFlashBlue = 1119;
    static constexpr int kFlashColorEdit = 1122;
    static constexpr int kFlashColor = 1121;
    static constexpr int kAutoWhite = 1208;  // radio group: "Auto White", "Manual"
    static constexpr int kManual = 1209;
    static constexpr int kAccurate = 1205;           // disabled, does nothing
    static constexpr int kDefaultCorrection = 1196;  // radio group: "Default", "Fluorescent"
    static constexpr int kFluorescent = 1197;
    static constexpr int kSlow = 1093;  // radio group: "Slow", "Med", "Fast"
    static constexpr int kMed = 1094;
    static constexpr int kFast = 1095;
    static constexpr int kPageDefaults = 1084;

    CPropAdjust();
    ~CPropAdjust() override;

    void SetMainDialog(CTRIPOD01Dlg* mainDlg) { m_pMainDlg = mainDlg; }

    bool OnInitDialog() override;
    void OnLiveRed(int position);
    void OnLiveBlue(int position);
    void OnLiveColor(int position);
    void OnFlashRed(int position);
    void OnFlashBlue(int position);
    void OnFlashColor(int position);
    void OnAutoWhite();
    void OnManual();
    void OnFlashColorCorrection(int choice);
    void OnSpeed(int speed);
    void OnPageDefaults();

    CTRIPOD01Dlg* m_pMainDlg = nullptr;
    // What the edits and radio groups show.
    int m_LiveRed = 0;
    int m_LiveBlue = 0;
    int m_LiveColor = 0;
    int m_FlashRed = 0;
    int m_FlashBlue = 0;
    int m_FlashColor = 0;
    int m_WhiteBalance = -1;
    int m_FlashColorCorrection = -1;
    int m_Speed = -1;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;

  private:
    // Automatic white balance as "Auto White" and "Page Defaults" begin: command 7, the live
    // offsets 0 and their arrows disabled, the live colour level 72 and its arrows enabled.
    void EnterAutoWhite();
    // Automatic white balance: the live red and blue offsets 0, shown, their arrows disabled.
    void HoldLiveOffsetsAtZero();
    void SendLiveRedGain();
    void SendLiveBlueGain();
};

// The colour level "Auto White" and "Page Defaults" set for the live picture.
inline constexpr int kAutoWhiteColourLevel = 72;
