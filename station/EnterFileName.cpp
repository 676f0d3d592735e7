// The "Enter file Name" dialog and the choice of a capture's file.
#include "station/EnterFileName.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "capture/PictureNames.h"
#include "capture/StationSettings.h"
#include "platform/ui/Services.h"

namespace {

const char* FileTypeText(int fileType) {
    switch (fileType) {
        case 0:
            return "Clipboard";
        case 1:
            return "JPG";
        case 2:
            return "BMP";
        default:
            return "Undefined";
    }
}

// Anything at all at `path`, a dangling symbolic link included.
bool SomethingExistsAt(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    return !error && std::filesystem::exists(status);
}

}  // namespace

CDialogEnterFileName::CDialogEnterFileName(QWidget* owner) : ui::Dialog(owner) {
    setWindowTitle(QStringLiteral("Enter file Name"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* pathLabel = new QLabel(QStringLiteral("Path"), this);
    pathLabel->setGeometry(12, 10, 200, 16);
    auto* path = new QLineEdit;
    path->setReadOnly(true);
    AddControl(kPath, path);
    MoveItem(kPath, 12, 28, 316, 22);

    auto* nameLabel = new QLabel(QStringLiteral("File Name"), this);
    nameLabel->setGeometry(12, 58, 200, 16);
    AddControl(kFileName, new QLineEdit);
    MoveItem(kFileName, 12, 76, 210, 22);
    AddControl(kFileTypeLabel, new QLabel(QStringLiteral("File Type")));
    MoveItem(kFileTypeLabel, 234, 58, 94, 16);
    auto* type = new QLineEdit;
    type->setReadOnly(true);
    AddControl(kFileTypeText, type);
    MoveItem(kFileTypeText, 234, 76, 94, 22);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    AddControl(kOk, ok);
    ok->setDefault(true);
    MoveItem(kOk, 168, 112, 75, 23);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    AddControl(kCancel, cancel);
    MoveItem(kCancel, 253, 112, 75, 23);
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    setFixedSize(340, 146);
}

void CDialogEnterFileName::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    dx.Text(kFileName, m_FileName);
    dx.Text(kPath, m_PathText);
    dx.Text(kFileTypeText, m_FileTypeText);
}

bool CDialogEnterFileName::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    m_FileTypeText = FileTypeText(m_FileType);
    UpdateData(false);
    GotoDlgCtrl(kFileName);
    return true;
}

void CDialogEnterFileName::OnOK() {
    UpdateData(true);
    if (m_FileName.empty())
        return;
    const std::string_view problem = TypedFileNameProblem(m_FileName, m_FileType);
    if (!problem.empty()) {
        ui::MessageBox(this, problem);
        GotoDlgCtrl(kFileName);
        return;
    }
    m_FileName = RemoveExtension(m_FileName);
    EndDialog(QDialog::Accepted);
}

bool AskReplaceFile(QWidget* owner, const std::string& path) {
    return ui::AskYesNo(owner, path + " already exists.\nDo you want to replace it?");
}

PictureFileChoice ChoosePictureFile(QWidget* owner, const StationSettings& settings,
                                    std::string& userFileName) {
    using Outcome = PictureFileChoice::Outcome;
    if (settings.m_SaveFileType != 1) {
        if (std::optional<std::string> fixed =
                FixedPictureFile(settings.m_CaptureType, settings.m_JpgFileName)) {
            return {Outcome::kWrite, std::move(*fixed)};
        }
        return {Outcome::kNoFile, {}};
    }
    std::string typed;
    for (;;) {
        CDialogEnterFileName dlg(owner);
        dlg.m_PathText = settings.m_Path;
        dlg.m_FileType = settings.m_CaptureType;
        dlg.m_FileName = typed;
        if (dlg.DoModal() != QDialog::Accepted)
            return {Outcome::kCancelled, {}};
        typed = dlg.m_FileName;
        const std::string fileName = typed + std::string(PictureExtension(settings.m_CaptureType));
        std::string path = JoinFolderAndName(settings.m_Path, fileName);
        if (!SomethingExistsAt(path) || AskReplaceFile(owner, path)) {
            userFileName = fileName;
            return {Outcome::kWrite, std::move(path)};
        }
    }
}
