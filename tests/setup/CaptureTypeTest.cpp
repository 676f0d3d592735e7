// The Capture Type page on a main dialog's settings, and the choice of a capture's file
// through "Enter file Name" with its refusals and the replace question.
#include "setup/CaptureType.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/ui/PropertySheet.h"
#include "platform/ui/ServiceRecorder.h"
#include "station/EnterFileName.h"
#include "station/MainDialog.h"
#include "tests/setup/ModalScript.h"

namespace {

using C = CCaptureType;

// The page opened on a main dialog capturing to `captureType` with the file name `saveFileType`
// and the settings `more` gives.
struct OpenPage {
    OpenPage(
        int captureType, int saveFileType,
        const std::function<void(CTRIPOD01Dlg&)>& more = [](CTRIPOD01Dlg&) {}) {
        main.m_CaptureType = captureType;
        main.m_SaveFileType = saveFileType;
        more(main);
        page->SetMainDialog(&main);
        sheet.AddPage(page);
        sheet.Create();
    }
    void Click(int id) { page->Item<QRadioButton>(id)->click(); }
    ui::ServiceRecorder services;
    CTRIPOD01Dlg main;
    ui::PropertySheet sheet{"Adjust", &main};
    CCaptureType* page = new CCaptureType;
};

struct OpeningRow {
    const char* name;
    int captureType, saveFileType, factor;
    int checked;  // the capture-type radio checked, 0 for none
    bool fileNameControls, selectPath;
    int factorShown;
};

class CaptureTypeOpening : public testing::TestWithParam<OpeningRow> {};

TEST_P(CaptureTypeOpening, ControlsAndTheFactorKeptWithin4To255) {
    const OpeningRow& row = GetParam();
    OpenPage open(row.captureType, row.saveFileType, [&row](CTRIPOD01Dlg& main) {
        main.m_CompressionFactor = row.factor;
        main.m_JpgFileName = "/home/op/ZelvoCam Temp.JPG";
    });
    CCaptureType& page = *open.page;
    for (int id : {C::kClipBoard, C::kJpg, C::kBmp})
        EXPECT_EQ(page.IsDlgButtonChecked(id), id == row.checked) << id;
    EXPECT_EQ(page.Item<QWidget>(C::kUserFileName)->isEnabled(), row.fileNameControls);
    EXPECT_EQ(page.Item<QWidget>(C::kFixedFileName)->isEnabled(), row.fileNameControls);
    EXPECT_EQ(page.Item<QWidget>(C::kSelectPath)->isEnabled(), row.selectPath);
    EXPECT_EQ(page.GetDlgItemText(C::kCompressionFactor), QString::number(row.factorShown));
    EXPECT_EQ(open.main.m_CompressionFactor, row.factorShown);  // written back at once
    EXPECT_EQ(page.GetDlgItemText(C::kFixedFileNameEdit), "/home/op/ZelvoCam Temp.JPG");
    EXPECT_TRUE(open.services.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptureTypeOpening,
    testing::Values(OpeningRow{"HostHandOffChecksNoRadio", 5, 0, 10, 0, true, false, 10},
                    OpeningRow{"ClipboardDisablesTheFileNames", 0, 1, 2, C::kClipBoard, false,
                               false, 4},
                    OpeningRow{"JpegWithTypedNames", 1, 1, 300, C::kJpg, true, true, 255}),
    RowName{});

TEST(CaptureTypePage, RadiosActOnTheMainDialogAtOnce) {
    OpenPage open(5, 0);
    CCaptureType& page = *open.page;
    const CTRIPOD01Dlg& main = open.main;

    open.Click(C::kClipBoard);
    EXPECT_EQ(main.m_CaptureType, 0);
    EXPECT_FALSE(page.Item<QWidget>(C::kUserFileName)->isEnabled());
    open.Click(C::kBmp);  // all three back, Select Path too, though the name is fixed
    EXPECT_EQ(main.m_CaptureType, 2);
    for (int id : {C::kUserFileName, C::kFixedFileName, C::kSelectPath})
        EXPECT_TRUE(page.Item<QWidget>(id)->isEnabled()) << id;
    open.Click(C::kFixedFileName);
    EXPECT_EQ(main.m_SaveFileType, 0);
    EXPECT_FALSE(page.Item<QWidget>(C::kSelectPath)->isEnabled());
    open.Click(C::kUserFileName);
    EXPECT_EQ(main.m_SaveFileType, 1);
    EXPECT_TRUE(page.Item<QWidget>(C::kSelectPath)->isEnabled());
}

struct SelectPathRow {
    const char* name;
    std::optional<std::string> chosen;
    std::string folder;  // main m_Path afterwards
    bool refused;
};

class SelectPath : public testing::TestWithParam<SelectPathRow> {};

TEST_P(SelectPath, KeepsTheChosenFilesFolder) {
    OpenPage open(1, 1, [](CTRIPOD01Dlg& main) { main.m_Path = "/home/op/"; });
    open.services.AnswerFileChooser(GetParam().chosen);
    open.page->Item<QPushButton>(C::kSelectPath)->click();
    EXPECT_EQ(open.main.m_Path, GetParam().folder);
    EXPECT_EQ(open.page->m_Path, GetParam().folder);
    ASSERT_FALSE(open.services.Events().empty());
    EXPECT_EQ(open.services.Events().front().caption, "/home/op/Zelvo Default.JPG");  // proposed
    EXPECT_EQ(open.services.Messages().size(), GetParam().refused ? 1u : 0u);
}

const std::string kDeepFolder = "/" + std::string(253, 'd') + "/";  // 255 bytes

INSTANTIATE_TEST_SUITE_P(
    Rows, SelectPath,
    testing::Values(SelectPathRow{"Chosen", "/photos/x.jpg", "/photos/", false},
                    SelectPathRow{"Cancelled", std::nullopt, "/home/op/", false},
                    SelectPathRow{"LongestKept", kDeepFolder.substr(1) + "x.jpg",
                                  kDeepFolder.substr(1), false},
                    SelectPathRow{"TooLongToKeep", kDeepFolder + "x.jpg", "/home/op/", true}),
    RowName{});

// --- the file of a capture ---------------------------------------------------------------------

class CaptureFileChoice : public testing::Test {
  protected:
    CaptureFileChoice() {
        settings.m_CaptureType = 1;
        settings.m_SaveFileType = 1;
        settings.m_Path = folder.path().toStdString() + "/";
    }
    PictureFileChoice Choose(std::vector<ModalScript::Step> steps) {
        ModalScript script(std::move(steps));
        PictureFileChoice choice = ChoosePictureFile(&owner, settings, userFileName);
        shown = script.Seen();
        return choice;
    }
    std::string In(const std::string& name) const { return settings.m_Path + name; }

    QTemporaryDir folder;
    ui::ServiceRecorder services;
    ui::Dialog owner;
    StationSettings settings;
    std::string userFileName = "earlier.JPG";
    size_t shown = 0;
};

using Outcome = PictureFileChoice::Outcome;
using Script = ModalScript;
constexpr int kName = CDialogEnterFileName::kFileName;

TEST_F(CaptureFileChoice, TypedNameLosesItsExtensionAndTakesTheDestinations) {
    settings.m_CaptureType = 2;
    const PictureFileChoice choice = Choose({[](ui::Dialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Enter file Name");
        EXPECT_EQ(dlg.GetDlgItemText(CDialogEnterFileName::kFileTypeText), "BMP");
        Script::Type(kName, "Visitor.jpeg")(dlg);
    }});
    EXPECT_EQ(choice.outcome, Outcome::kWrite);
    EXPECT_EQ(choice.path, In("Visitor.BMP"));
    EXPECT_EQ(userFileName, "Visitor.BMP");
}

TEST_F(CaptureFileChoice, RefusedNamesKeepTheDialogOpenUntilCancel) {
    const PictureFileChoice choice =
        Choose({Script::Type(kName, ""), Script::Type(kName, "../../etc/x"),
                Script::Type(kName, ".jpg"), Script::Escape()});
    EXPECT_EQ(shown, 4u);
    EXPECT_EQ(choice.outcome, Outcome::kCancelled);
    EXPECT_EQ(services.Messages(),
              (std::vector<std::string>{": A file name cannot contain \"/\".",
                                        ": Please enter a name before the extension."}));
    EXPECT_EQ(userFileName, "earlier.JPG");
}

TEST_F(CaptureFileChoice, AnExistingFileIsReplacedOnlyAfterYes) {
    std::ofstream(In("Visitor.JPG")) << "another person's picture";
    services.AnswerQuestions({false, true});
    const PictureFileChoice choice =
        Choose({Script::Type(kName, "Visitor"),
                [](ui::Dialog& dlg) {  // "No": the name dialog again, the name still in it
                    EXPECT_EQ(dlg.GetDlgItemText(kName), "Visitor");
                    QTest::keyClick(dlg.Item<QLineEdit>(kName), Qt::Key_Return);
                }});
    EXPECT_EQ(services.Questions(),
              std::vector<std::string>(
                  2, ": " + In("Visitor.JPG") + " already exists.\nDo you want to replace it?"));
    EXPECT_EQ(choice.outcome, Outcome::kWrite);
    EXPECT_EQ(choice.path, In("Visitor.JPG"));
}

TEST_F(CaptureFileChoice, FixedNameAsksNothing) {
    settings.m_SaveFileType = 0;
    settings.m_CaptureType = 2;
    settings.m_JpgFileName = "/pics/face.old.jpg";
    EXPECT_EQ(Choose({}).path, "/pics/face.old.BMP");
    settings.m_JpgFileName = "";
    EXPECT_EQ(Choose({}).outcome, Outcome::kNoFile);
    EXPECT_EQ(shown, 0u);
}

}  // namespace
