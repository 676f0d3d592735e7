// The property sheet as the setup pages use it: fresh pages at each opening, a page initialised
// when first shown, a page that refuses to be left, destroy handlers only for pages that were
// shown, and Escape closing the sheet but not the dialog behind it.
#include "platform/ui/PropertySheet.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <string>
#include <vector>

#include "platform/ui/ServiceRecorder.h"

namespace {

std::vector<std::string> journal;

class SamplePage : public ui::PropertyPage {
  public:
    explicit SamplePage(const char* name) : ui::PropertyPage(name, QSize(200, 120)), name_(name) {
        AddControl(5, new QLineEdit);  // the same id on every page
    }
    bool OnInitDialog() override {
        journal.push_back(name_ + " init");
        return ui::PropertyPage::OnInitDialog();
    }
    void OnDestroy() override { journal.push_back(name_ + " destroy"); }
    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Int(5, value);
        dx.IntRange(5, value, 0, 9);
    }
    int value = 0;

  private:
    std::string name_;
};

class PropertySheetTest : public testing::Test {
  protected:
    PropertySheetTest() { journal.clear(); }
    void Open() {
        sheet.AddPage(new SamplePage("first"));
        sheet.AddPage(new SamplePage("second"));
        ASSERT_TRUE(sheet.Create());
    }
    ui::ServiceRecorder services;
    ui::Dialog owner;
    ui::PropertySheet sheet{"Adjust", &owner};
};

TEST_F(PropertySheetTest, EachOpeningHasFreshPagesAndOnlyShownPagesRunTheirDestroyHandler) {
    Open();
    QPointer<ui::PropertyPage> firstOpening = sheet.GetPage(0);
    EXPECT_TRUE(sheet.isWindow());
    EXPECT_EQ(journal, std::vector<std::string>{"first init"});
    sheet.close();  // the close box
    EXPECT_FALSE(sheet.IsOpen());
    EXPECT_TRUE(firstOpening.isNull());
    EXPECT_EQ(journal, (std::vector<std::string>{"first init", "first destroy"}));

    journal.clear();
    Open();
    EXPECT_EQ(sheet.GetPageCount(), 2);
    ASSERT_TRUE(sheet.SetActivePage(1));
    sheet.DestroyWindow();
    EXPECT_EQ(journal, (std::vector<std::string>{"first init", "second init", "first destroy",
                                                 "second destroy"}));
    EXPECT_EQ(sheet.GetPageCount(), 0);
}

TEST_F(PropertySheetTest, AFailedExchangeKeepsThePageShown) {
    Open();
    auto* first = static_cast<SamplePage*>(sheet.GetPage(0));
    first->SetDlgItemText(5, "12");
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(sheet.GetActivePage(), first);
    EXPECT_EQ(services.Messages(),
              std::vector<std::string>{": Please enter an integer between 0 and 9."});
    EXPECT_EQ(journal, std::vector<std::string>{"first init"});  // the second never shown

    first->SetDlgItemText(5, "7");
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(first->value, 7);
}

TEST_F(PropertySheetTest, EscapeClosesTheSheetAndEnterDoesNothing) {
    owner.show();
    Open();
    QLineEdit* edit = sheet.GetPage(0)->Item<QLineEdit>(5);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(sheet.IsOpen());
    QTest::keyClick(edit, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!sheet.IsOpen(), 2000);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_TRUE(owner.isVisible());  // the dialog behind never saw the key
}

TEST_F(PropertySheetTest, ControlTabStepsThroughTheTabsRoundTheEnds) {
    Open();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int active;
    } steps[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                 {Qt::Key_Tab, Qt::ControlModifier, 0},
                 {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 1},
                 {Qt::Key_PageUp, Qt::ControlModifier, 0},
                 {Qt::Key_PageDown, Qt::ControlModifier, 1}};
    for (const auto& step : steps) {
        QTest::keyClick(sheet.GetActivePage()->Item<QLineEdit>(5), step.key, step.modifiers);
        EXPECT_EQ(sheet.GetActiveIndex(), step.active);
    }
    EXPECT_EQ(journal, (std::vector<std::string>{"first init", "second init"}));
}

TEST_F(PropertySheetTest, HiddenAndShownWithItsOwnerOnlyWhenOpen) {
    Open();
    sheet.HideWithOwner();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_TRUE(sheet.IsOpen());
    sheet.ShowWithOwner();
    EXPECT_TRUE(sheet.isVisible());
    sheet.DestroyWindow();
    sheet.HideWithOwner();
    sheet.ShowWithOwner();
    EXPECT_FALSE(sheet.isVisible());
}

}  // namespace
