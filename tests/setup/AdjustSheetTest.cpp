// "&Adjust": the password asked at every press, one sheet window with fresh pages at each
// opening, its place beside the main dialog, and its pages closed before the settings are
// saved at the station's close.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/PropertySheet.h"
#include "setup/AdjustSheet.h"
#include "setup/CaptureType.h"
#include "setup/Pass.h"
#include "station/ControlIds.h"
#include "tests/setup/ModalScript.h"
#include "tests/setup/SheetFixture.h"
#include "tests/station/StationFixture.h"
#include "tests/support/RowName.h"

namespace {

// The tabs below class 4, in their order.
const QStringList kCaptions{"Flesh Tones", "Advanced", "Capture Type", "Crop"};

QStringList Captions(const ui::PropertySheet& sheet) {
    QStringList captions;
    for (int i = 0; i < sheet.GetPageCount(); ++i)
        captions << sheet.GetPage(i)->Caption();
    return captions;
}

struct PasswordRow {
    const char* name;
    const char* stored;
    std::vector<std::optional<std::string>> entries;  // one per press; nothing: Escape
    size_t dialogsShown;
    bool sheetOpen;
    int passwordOK;
};

class PasswordGate : public testing::TestWithParam<PasswordRow> {};

TEST_P(PasswordGate, OpensOnlyAfterAnExactEntry) {
    const PasswordRow& row = GetParam();
    MainWithSheet main;
    main.dlg.m_PassWord = row.stored;
    std::vector<ModalScript::Step> steps;
    for (const auto& entry : row.entries) {
        steps.push_back([entry](ui::Dialog& dlg) {
            auto* edit = dlg.Item<QLineEdit>(CPass::kPasswordEdit);
            EXPECT_EQ(dlg.windowTitle(), "Dialog");
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            EXPECT_EQ(edit->maxLength(), 254);
            if (entry) {
                ModalScript::Type(CPass::kPasswordEdit, *entry)(dlg);
            } else {
                ModalScript::Escape()(dlg);
            }
        });
    }
    ModalScript script(steps);
    for (size_t press = 0; press < std::max<size_t>(row.entries.size(), 1); ++press)
        main.PressAdjust();
    EXPECT_EQ(script.Seen(), row.dialogsShown);
    EXPECT_EQ(main.Sheet().IsOpen(), row.sheetOpen);
    EXPECT_EQ(main.dlg.m_PasswordOK, row.passwordOK);
}

using Entries = std::vector<std::optional<std::string>>;
INSTANTIATE_TEST_SUITE_P(
    Rows, PasswordGate,
    testing::Values(PasswordRow{"NoneMeansNoPassword", "None", {}, 0, true, 0},
                    PasswordRow{"EmptyMeansNoPassword", "", {}, 0, true, 0},
                    PasswordRow{"LowerCaseNoneIsAPassword", "none", Entries{"none"}, 1, true, 1},
                    PasswordRow{"ExactMatch", "Se cret", Entries{"Se cret"}, 1, true, 1},
                    PasswordRow{"WrongCase", "Secret", Entries{"secret"}, 1, false, 0},
                    PasswordRow{"TrailingBlank", "Secret", Entries{"Secret "}, 1, false, 0},
                    PasswordRow{"Escape", "Secret", Entries{std::nullopt}, 1, false, 0},
                    PasswordRow{"AskedAgainEscapeKeepsTheEarlierEntry", "Secret",
                                Entries{"Secret", std::nullopt}, 2, true, 1},
                    PasswordRow{"AskedAgainWrongEntryLocksAgain", "Secret", Entries{"Secret", "x"},
                                2, true, 0}),
    RowName{});

TEST(AdjustSheet, OneWindowBesideTheMainDialogWithFreshPagesAtEachOpening) {
    MainWithSheet main;
    main.dlg.m_PassWord = "None";
    main.PressAdjust();
    ui::PropertySheet& sheet = main.Sheet();
    ASSERT_TRUE(sheet.IsOpen());
    EXPECT_TRUE(sheet.isWindow());
    EXPECT_EQ(sheet.parentWidget(), &main.dlg);  // a child window: usable while the dialog runs
    EXPECT_TRUE(sheet.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(sheet.windowTitle(), "Adjust");
    ASSERT_EQ(Captions(sheet), kCaptions);
    EXPECT_EQ(sheet.GetPage(0)->font(), main.dlg.font());  // the pages were drawn for it
    QPointer<ui::PropertyPage> first = sheet.GetPage(0);

    main.PressAdjust();  // while open: only brought to the top
    EXPECT_EQ(sheet.GetPage(0), first.data());
    EXPECT_EQ(Captions(sheet), kCaptions);

    sheet.close();
    EXPECT_TRUE(first.isNull());
    main.PressAdjust();
    EXPECT_EQ(PropSheetOf(main.dlg), &sheet);
    ASSERT_EQ(Captions(sheet), kCaptions);
    EXPECT_TRUE(sheet.GetPage(0)->IsInitialized());
}

struct PlacementRow {
    const char* name;
    int mainLeft;  // screen pixels, or added to the sheet's width
    bool fromSheetWidth;
    bool roomOnTheLeft;
    // Nearer the edge than the first page is wide: the page moves the main dialog to its width
    // + 2 as it opens, and the sheet is placed from there.
    bool firstPageMovesIt = false;
};

class SheetPlacement : public testing::TestWithParam<PlacementRow> {};

TEST_P(SheetPlacement, LeftOfTheMainDialogOrPushingItRight) {
    const PlacementRow& row = GetParam();
    MainWithSheet main;
    main.dlg.m_PassWord = "None";
    main.dlg.show();
    main.PressAdjust();
    const int w = main.Sheet().frameGeometry().width();
    ASSERT_GT(w, 100);
    main.Sheet().close();
    const int mainLeft = row.fromSheetWidth ? w + row.mainLeft : row.mainLeft;
    main.dlg.move(mainLeft, 40);

    main.PressAdjust();
    const QRect sheet = main.Sheet().frameGeometry();
    // The page's own width, as it opens; shown, it takes the width of the widest page.
    const int firstPageWidth = main.Sheet().GetPage(0)->sizeHint().width();
    EXPECT_EQ(main.dlg.m_MainRect.left(), row.firstPageMovesIt ? firstPageWidth + 2 : mainLeft);
    EXPECT_EQ(sheet.top(), 40);
    EXPECT_EQ(main.dlg.frameGeometry().top(), 40);
    if (row.roomOnTheLeft) {
        EXPECT_EQ(sheet.left(), mainLeft - w);
        EXPECT_EQ(main.dlg.frameGeometry().left(), mainLeft);
    } else {
        EXPECT_EQ(sheet.left(), 2);
        EXPECT_EQ(main.dlg.frameGeometry().left(), w + 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SheetPlacement,
                         testing::Values(PlacementRow{"RoomOnTheLeft", 700, false, true},
                                         PlacementRow{"ExactlyTheSheetsWidth", 0, true, true},
                                         PlacementRow{"OnePixelShort", -1, true, false},
                                         PlacementRow{"AtTheScreenEdge", 0, false, false, true}),
                         RowName{});

class AdjustSheetAtClose : public station_test::StationFixture {};

TEST_F(AdjustSheetAtClose, FollowsAHostsHideAndShowAndClosesBeforeTheSettingsAreSaved) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnAdjust();
    ui::PropertySheet& sheet = *PropSheetOf(dlg);
    ASSERT_TRUE(sheet.IsOpen());
    ASSERT_TRUE(sheet.SetActivePage(static_cast<int>(kCaptions.indexOf("Capture Type"))));
    auto* edit = sheet.GetActivePage()->Item<QLineEdit>(CCaptureType::kCompressionFactor);
    edit->selectAll();
    QTest::keyClicks(edit, "300");
    EXPECT_EQ(dlg.m_CompressionFactor, 300);  // told, and kept while the page is open
    EXPECT_EQ(services_.Messages(),
              std::vector<std::string>{": Please enter an integer between 0 and 255."});

    dlg.OnHostHide();  // a host hides the station: the sheet goes with it, still open
    EXPECT_FALSE(sheet.isVisible());
    dlg.OnHostShow();
    EXPECT_TRUE(sheet.isVisible());

    dlg.OnClose();
    EXPECT_FALSE(sheet.IsOpen());
    EXPECT_EQ(services_.Messages().size(), 1u);  // no second message holds the close up
    EXPECT_EQ(StoredDword("Compression Factor"), 255u);
}

}  // namespace
