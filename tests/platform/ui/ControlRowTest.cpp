// Controls made from table rows: each kind is the right widget with its caption, place, style
// and id; an up-down pair steps its edit within its range; unnamed frames lie behind the rest.
#include "platform/ui/ControlRow.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/ui/Dialog.h"
#include "platform/ui/UpDown.h"
#include "tests/support/RowName.h"

namespace {

using K = ui::ControlKind;

struct KindRow {
    const char* name;
    const char* widgetClass;
    const char* text;        // as the dialog reads it back
    const char* accessible;  // a picture button's accessible name
    ui::ControlRow entry;
};

constexpr KindRow kKindRows[] = {
    KindRow("GroupBox", "QGroupBox", "Zoom", "", {7, K::kGroupBox, "Zoom", 5, 6, 80, 54}),
    KindRow("Label", "QLabel", "Red", "", {7, K::kLabel, "Red", 5, 6, 30, 14, ui::kHidden}),
    KindRow("Button", "QPushButton", "&Save", "", {7, K::kButton, "&Save", 0, 468, 312, 25}),
    KindRow("PictureButtonNamedByCaption", "QPushButton", "", "ZOOMIN",
            {7, K::kPictureButton, "ZOOMIN", 6, 135, 25, 25, ui::kPlain, {}, "Zoom in"}),
    KindRow("PictureButtonNamedByTip", "QPushButton", "", "Tilt up",
            {7, K::kPictureButton, "", 6, 24, 26, 26, ui::kPlain, {}, "Tilt up"}),
    KindRow("CheckBox", "QCheckBox", "Lock Zoom", "",
            {7, K::kCheckBox, "Lock Zoom", 20, 116, 150, 18}),
    KindRow("Radio", "QRadioButton", "Med", "",
            {7, K::kRadio, "Med", 92, 208, 56, 18, ui::kDisabled}),
    KindRow("Edit", "QLineEdit", "0", "", {7, K::kEdit, "0", 4, 180, 40, 20, ui::kReadOnly}),
    KindRow("Slider", "QSlider", "", "", {7, K::kSlider, "", 9, 50, 30, 125}),
    KindRow("UpDownEdit", "QLineEdit", "0", "",
            {7, K::kUpDown, "", 8, 27, 44, 22, ui::kPlain, {8, 0, 3}}),
};

class EachKind : public testing::TestWithParam<KindRow> {};

TEST_P(EachKind, MakesItsWidgetWithCaptionPlaceAndStyle) {
    const KindRow& row = GetParam();
    const ui::ControlRow& entry = row.entry;
    ui::Dialog dialog;
    dialog.AddControls({&entry, 1});
    QWidget* control = dialog.GetDlgItem(entry.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), row.widgetClass);
    EXPECT_EQ(control->parentWidget(), &dialog);
    EXPECT_EQ(dialog.GetDlgItemText(entry.id), QString::fromUtf8(row.text));
    EXPECT_EQ(control->accessibleName(), QString::fromUtf8(row.accessible));
    EXPECT_EQ(dialog.ItemRect(entry.id), QRect(entry.x, entry.y, entry.width, entry.height));
    EXPECT_EQ(dialog.IsItemVisible(entry.id), (entry.style & ui::kHidden) == 0);
    EXPECT_EQ(control->isEnabled(), (entry.style & ui::kDisabled) == 0);
    EXPECT_EQ(dialog.IsItemReadOnly(entry.id), (entry.style & ui::kReadOnly) != 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, EachKind, testing::ValuesIn(kKindRows), RowName{});

TEST(ControlRow, UpDownPairStepsItsEditWithinItsRange) {
    static constexpr ui::ControlRow kPair[] = {
        {1, K::kUpDown, "", 10, 20, 52, 24, ui::kReadOnly | ui::kAlignRight, {2, -25, 50}},
    };
    ui::Dialog dialog;
    dialog.AddControls(kPair);
    auto* edit = dialog.Item<QLineEdit>(1);
    auto* arrows = dialog.Item<ui::UpDown>(2);
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(arrows->Buddy(), edit);
    EXPECT_EQ(dialog.ItemRect(2), QRect(62, 20, ui::kUpDownArrowsWidth, 24));
    EXPECT_EQ(edit->alignment(), Qt::AlignRight);
    for (int i = 0; i < 60; ++i)
        arrows->Step(+1);
    EXPECT_EQ(edit->text(), "50");
    for (int i = 0; i < 100; ++i)
        arrows->Step(-1);
    EXPECT_EQ(edit->text(), "-25");
}

TEST(ControlRow, UnnamedFramesAndCaptionsAreDrawnBehindTheControlsWithoutAnId) {
    static constexpr ui::ControlRow kRows[] = {
        {1, K::kButton, "Go", 10, 10, 60, 24},
        {ui::kNoId, K::kGroupBox, "Frame", 0, 0, 100, 50},
        {ui::kNoId, K::kLabel, "Caption", 0, 60, 100, 18},
    };
    ui::Dialog dialog;
    dialog.AddControls(kRows);
    EXPECT_EQ(dialog.GetDlgItem(ui::kNoId), nullptr);
    auto* frame = dialog.findChild<QGroupBox*>();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "Frame");
    EXPECT_EQ(frame->geometry(), QRect(0, 0, 100, 50));
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), "Caption");
    // Lowered: the widget drawn first, under the button it frames.
    EXPECT_LT(dialog.children().indexOf(frame), dialog.children().indexOf(dialog.GetDlgItem(1)));
}

}  // namespace
