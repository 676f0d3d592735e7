// The Capture Type page.
#include "setup/CaptureType.h"

#include <algorithm>

#include "capture/PictureNames.h"
#include "platform/ui/ControlRow.h"
#include "platform/ui/Services.h"
#include "station/MainDialog.h"

namespace {

int ClampCompressionFactor(int factor) {
    return std::clamp(factor, kMinCompressionFactor, kMaxCompressionFactor);
}

using K = ui::ControlKind;
using ui::kNoId;

constexpr ui::ControlRow kCaptureTypeControls[] = {
    {kNoId, K::kGroupBox, "Capture Type", 8, 6, 288, 80},
    {kNoId, K::kGroupBox, "File Name", 8, 94, 288, 114},

    {CCaptureType::kClipBoard, K::kRadio, "Clip Board (Twain)", 18, 22, 150, 18},
    {CCaptureType::kJpg, K::kRadio, "JPG", 18, 42, 60, 18},
    {CCaptureType::kBmp, K::kRadio, "BMP", 18, 62, 60, 18},
    {kNoId, K::kLabel, "Compression Factor", 172, 24, 118, 16},
    {CCaptureType::kCompressionFactor, K::kEdit, "", 176, 44, 60, 22},

    {CCaptureType::kUserFileName, K::kRadio, "User File Name", 18, 112, 150, 18},
    {CCaptureType::kFixedFileName, K::kRadio, "Fixed File Name", 18, 132, 150, 18},
    {CCaptureType::kSelectPath, K::kButton, "Select Path", 180, 110, 104, 24},
    {kNoId, K::kLabel, "Fixed File Name and Path", 18, 156, 260, 16},
    {CCaptureType::kFixedFileNameEdit, K::kEdit, "", 18, 174, 268, 22, ui::kReadOnly},
};

}  // namespace

CCaptureType::CCaptureType() : ui::PropertyPage(QStringLiteral("Capture Type"), QSize(304, 214)) {
    AddControls(kCaptureTypeControls);
    AddRadioGroup({kClipBoard, kJpg, kBmp});
    AddRadioGroup({kFixedFileName, kUserFileName});

    // A user's typing in the compression edit is its command, never the page showing members.
    static constexpr CommandRow<CCaptureType> kCommandMap[] = {
        {kClipBoard, &CCaptureType::OnClipBoard},
        {kJpg, &CCaptureType::OnJpgOrBmp},
        {kBmp, &CCaptureType::OnJpgOrBmp},
        {kCompressionFactor, &CCaptureType::OnCompressionChange},
        {kFixedFileName, &CCaptureType::OnFixedFileName},
        {kUserFileName, &CCaptureType::OnUserFileName},
        {kSelectPath, &CCaptureType::OnSelectPath},
    };
    MapCommandTable(kCommandMap);
}

CCaptureType::~CCaptureType() = default;

void CCaptureType::DoDataExchange(ui::DataExchange& dx) {
    ui::PropertyPage::DoDataExchange(dx);
    dx.Radio(kClipBoard, m_CaptureType);
    dx.Int(kCompressionFactor, m_CompressionFactor);
    dx.IntRange(kCompressionFactor, m_CompressionFactor, 0, 255);
    dx.Radio(kFixedFileName, m_SaveFileType);
    // The fixed name is only shown (the edit is read-only); taking it back only when it really
    // changed keeps a stored name that is not valid UTF-8 byte for byte.
    if (!dx.Saving() ||
        GetDlgItemText(kFixedFileNameEdit) != QString::fromStdString(m_FixedFileName)) {
        dx.Text(kFixedFileNameEdit, m_FixedFileName);
    }
}

void CCaptureType::EnableFileNameControls(bool enable) {
    EnableItem(kSelectPath, enable);
    EnableItem(kUserFileName, enable);
    EnableItem(kFixedFileName, enable);
}

bool CCaptureType::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    CTRIPOD01Dlg& main = *m_pMainDlg;
    m_CaptureType = main.m_CaptureType;
    m_Path = main.m_Path;
    main.m_CompressionFactor = ClampCompressionFactor(main.m_CompressionFactor);
    m_CompressionFactor = main.m_CompressionFactor;
    EnableItem(kSelectPath, main.m_SaveFileType != 0);
    m_SaveFileType = main.m_SaveFileType;
    m_FixedFileName = main.m_JpgFileName;
    if (main.m_CaptureType == destination::kClipboard)
        EnableFileNameControls(false);
    UpdateData(false);  // a host hand-off checks no capture-type radio
    return true;
}

void CCaptureType::OnClipBoard() {
    UpdateData(true);
    m_pMainDlg->m_CaptureType = m_CaptureType;
    EnableFileNameControls(false);
}

void CCaptureType::OnJpgOrBmp() {
    UpdateData(true);
    m_pMainDlg->m_CaptureType = m_CaptureType;
    EnableFileNameControls(true);
}

void CCaptureType::OnCompressionChange() {
    // A failed check has told the operator; the member keeps what was taken (an integer out
    // of range stands until the page closes).
    UpdateData(true);
    m_pMainDlg->m_CompressionFactor = m_CompressionFactor;
}

void CCaptureType::OnFixedFileName() {
    m_pMainDlg->m_SaveFileType = 0;
    EnableItem(kSelectPath, false);
}

void CCaptureType::OnUserFileName() {
    m_pMainDlg->m_SaveFileType = 1;
    EnableItem(kSelectPath, true);
}

void CCaptureType::OnSelectPath() {
    UpdateData(true);
    CTRIPOD01Dlg& main = *m_pMainDlg;
    std::string suggested;
    if (m_CaptureType == destination::kJpegFile) {
        suggested = "Zelvo Default.JPG";
    } else if (m_CaptureType == destination::kBmpFile) {
        suggested = "Zelvo Default.BMP";
    }
    // Only the folder of the chosen file is kept; the name is never used.
    ui::FileRequest request;
    request.owner = this;
    request.save = true;
    request.caption = "Save As";
    request.fileName = JoinFolderAndName(main.m_Path, suggested);
    if (const std::optional<std::string> chosen = ui::ChooseFile(request)) {
        const std::string folder = FolderOfFile(*chosen);
        if (folder.size() > kMaxStoredPathBytes) {
            ui::MessageBox(this,
                           "The path of this folder is longer than 254 bytes and would be lost "
                           "at the next start. Please choose a folder with a shorter path.");
        } else if (!folder.empty()) {
            main.m_Path = folder;
        }
    }
    m_Path = main.m_Path;
    UpdateData(false);
    main.m_CompressionFactor = m_CompressionFactor;
}

void CCaptureType::OnDestroy() {
    // The operator was told about a bad factor as he typed it; the sheet (or the station) is
    // closing now, so no message box holds it up. An integer out of range is still taken.
    UpdateDataQuietly();
    m_pMainDlg->m_CompressionFactor = ClampCompressionFactor(m_CompressionFactor);
    m_pMainDlg->m_JpgFileName = m_FixedFileName;
}
