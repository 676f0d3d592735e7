// The "Capture Type" page of the "Adjust" sheet: where a captured picture goes
// (clipboard, JPEG or BMP file), the JPEG compression factor, a fixed file name or one typed at
// each capture, and the folder for typed names.
//
// Every change reaches the main dialog's settings at once; they reach the registry when the
// main dialog saves them. The compression factor may stand outside 4 to 255 while the page is
// open (the operator is told); it is brought back into that range when the page closes.
#pragma once

#include <string>

#include "platform/ui/PropertySheet.h"

class CTRIPOD01Dlg;

class CCaptureType : public ui::PropertyPage {
    Q_OBJECT

  public:
    // Control ids.
    static constexpr int kClipBoard = 1210;  // radio group: "Clip Board (Twain)", "JPG", "BMP"
    static constexpr int kJpg = 1211;
    static constexpr int kBmp = 1212;
    static constexpr int kCompressionFactor = 1011;
    static constexpr int kFixedFileName = 1202;  // radio group: "Fixed File Name", "User File Name"
    static constexpr int kUserFileName = 1203;
    static constexpr int kFixedFileNameEdit = 1204;  // read-only
    static constexpr int kSelectPath = 1213;

    CCaptureType();
    ~CCaptureType() override;

    void SetMainDialog(CTRIPOD01Dlg* mainDlg) { m_pMainDlg = mainDlg; }

    bool OnInitDialog() override;
    void OnDestroy() override;
    void OnClipBoard();
    void OnJpgOrBmp();
    void OnCompressionChange();
    void OnFixedFileName();
    void OnUserFileName();
    void OnSelectPath();

    CTRIPOD01Dlg* m_pMainDlg = nullptr;
    int m_CaptureType = -1;
    std::string m_Path;  // a copy of the main dialog's
    int m_CompressionFactor = 0;
    int m_SaveFileType = -1;
    std::string m_FixedFileName;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;

  private:
    void EnableFileNameControls(bool enable);
};

// The compression factors the page keeps when it opens and closes.
inline constexpr int kMinCompressionFactor = 4;
inline constexpr int kMaxCompressionFactor = 255;
