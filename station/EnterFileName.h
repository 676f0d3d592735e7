// The "Enter file Name" dialog, in which the operator names the file of one
// capture, and the choice of the file a capture is written to.
//
// The dialog shows the folder and the file type and takes a plain file name: OK with an empty
// name does nothing, and a name that cannot be a file name in that folder is refused with the
// reason while the dialog stays open. On OK the name's extension has been removed; the store
// adds ".JPG" or ".BMP".
#pragma once

#include <string>

#include "platform/ui/Dialog.h"

struct StationSettings;

class CDialogEnterFileName : public ui::Dialog {
    Q_OBJECT

  public:
    static constexpr int kFileName = 1214;
    static constexpr int kPath = 1215;  // read-only
    static constexpr int kFileTypeLabel = 1216;
    static constexpr int kFileTypeText = 1217;  // read-only
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    explicit CDialogEnterFileName(QWidget* owner);

    bool OnInitDialog() override;
    void OnOK() override;

    int m_FileType = 0;  // the capture destination; set before the dialog runs
    std::string m_PathText;
    std::string m_FileName;
    std::string m_FileTypeText;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
};

// Where the store writes a picture of a file destination (1 JPEG, 2 BMP).
struct PictureFileChoice {
    enum class Outcome {
        kWrite,      // write `path`
        kCancelled,  // the operator cancelled the name: store nothing, go on as after a store
        kNoFile,     // the fixed name names no file: the store reports its failure
    };
    Outcome outcome = Outcome::kNoFile;
    std::string path;
};

// With the fixed name (m_SaveFileType other than 1): the fixed name's file for the destination.
// With typed names: runs "Enter file Name" over `owner` until the operator cancels or gives a
// name whose file does not exist yet or which he agrees to replace ("No" brings the name
// dialog back). On a name, `userFileName` (the main dialog's m_UserFileName) becomes the name
// with the destination's extension, and the file is the folder m_Path followed by it.
PictureFileChoice ChoosePictureFile(QWidget* owner, const StationSettings& settings,
                                    std::string& userFileName);

// Asks whether an existing file (or anything else standing at `path`) may be replaced.
bool AskReplaceFile(QWidget* owner, const std::string& path);
