// The capture chain's arithmetic: the crop fixed in the turned frame, the lit flash field and
// the rows it is rebuilt from, the pipeline from frame to picture, the corrections, the
// hand-off folder. No QApplication.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <tuple>
#include <vector>

#include "capture/CaptureProcessing.h"
#include "capture/HandOff.h"
#include "device/FrameGeometry.h"
#include "tests/support/TempConfigHome.h"

namespace {

TEST(CaptureCrop, CentredInTheTurnedFrameAndClippedToIt) {
    struct Row {
        const char* name;
        int rotation, width, height;
        CaptureCrop expected;  // rotation, turn, left, top, width, height
    };
    const Row rows[] = {
        {"upright default", 0, 600, 450, {0, 0, 20, 15, 600, 450}},
        {"whole frame", 0, 640, 480, {0, 0, 0, 0, 640, 480}},
        {"turned clockwise", 1, 480, 600, {1, 9000, 0, 20, 480, 600}},
        {"turned anticlockwise", 2, 300, 400, {2, -9000, 90, 120, 300, 400}},
        {"unknown rotation taken upright", 7, 600, 450, {0, 0, 20, 15, 600, 450}},
        {"odd margin truncates", 0, 601, 451, {0, 0, 19, 14, 601, 451}},
        {"wider than the frame", 0, 700, 480, {0, 0, 0, 0, 640, 480}},
        {"taller than the turned frame", 1, 480, 9000, {1, 9000, 0, 0, 480, 640}},
        {"zero width", 0, 0, 480, {0, 0, 0, 0, 0, 0}},
        {"negative height", 2, 480, -5, {2, -9000, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CaptureCrop c = PlanCaptureCrop(row.rotation, row.width, row.height);
        const auto fields = [](const CaptureCrop& f) {
            return std::tuple(f.rotation, f.turn, f.left, f.top, f.width, f.height);
        };
        EXPECT_EQ(fields(c), fields(row.expected));
        EXPECT_EQ(c.IsEmpty(), row.expected.width == 0);
    }
}

TEST(FlashRepair, KeepsTheLitFieldRowByRow) {
    EXPECT_EQ(LitFieldOf(0x101010, 0x808080), LitField::kOddRows);
    // Equal brightness keeps the even rows, whatever the colours.
    EXPECT_EQ(LitFieldOf(0x0000FF, 0xFF0000), LitField::kEvenRows);

    EXPECT_EQ(FlashRepairSourceRow(LitField::kOddRows, 0), 1);
    EXPECT_EQ(FlashRepairSourceRow(LitField::kOddRows, 238), 477);
    EXPECT_EQ(FlashRepairSourceRow(LitField::kEvenRows, 0), -1);  // row 0 is already in place
    EXPECT_EQ(FlashRepairSourceRow(LitField::kEvenRows, 1), 2);
    EXPECT_EQ(FlashRepairSourceRow(LitField::kEvenRows, 238), 476);
    EXPECT_EQ(FlashRepairSourceRow(LitField::kOddRows, 239), -1);
}

// A camera frame (bottom-up B G R) whose upright pixel (row, column) is `bgr(row, column)`.
std::vector<uint8_t> Frame(const std::function<std::array<uint8_t, 3>(int, int)>& bgr) {
    std::vector<uint8_t> frame(size_t{frame::kWidth} * frame::kHeight * 3);
    for (int row = 0; row < frame::kHeight; ++row)
        for (int column = 0; column < frame::kWidth; ++column) {
            const auto pixel = bgr(row, column);
            std::copy(pixel.begin(), pixel.end(),
                      frame.begin() + ((frame::kHeight - 1 - row) * frame::kWidth + column) * 3);
        }
    return frame;
}

// Each pixel says where it came from.
std::array<uint8_t, 3> Position(int row, int column) {
    return {static_cast<uint8_t>(row), static_cast<uint8_t>(column),
            static_cast<uint8_t>(row >> 8 | (column >> 8) << 4)};
}

std::array<uint8_t, 3> At(const picture::Picture& p, int row, int column) {
    const uint8_t* bgr = p.Pixels().Row(row) + column * 3;
    return {bgr[0], bgr[1], bgr[2]};
}

TEST(CapturePipeline, CutsTheUprightOrTurnedFrameWherePlanned) {
    constexpr int H = frame::kHeight, W = frame::kWidth;
    struct Row {
        const char* name;
        int rotation, width, height;
        std::function<std::array<uint8_t, 3>(int, int)> source;  // of an output pixel
    };
    const Row rows[] = {
        {"upright", 0, 624, 468, [](int r, int c) { return Position(r + 6, c + 8); }},
        {"clockwise", 1, 480, 600, [](int r, int c) { return Position(H - 1 - c, r + 20); }},
        {"anticlockwise", 2, 300, 400,
         [](int r, int c) { return Position(c + 90, W - 1 - (r + 120)); }},
    };
    const std::vector<uint8_t> frame = Frame(Position);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Sharpness -1 leaves the pixels as they were.
        const auto kept = ProcessCaptureFrame(
            frame, {false, -1, PlanCaptureCrop(row.rotation, row.width, row.height)});
        ASSERT_TRUE(kept);
        ASSERT_EQ(kept->Width(), row.width);
        ASSERT_EQ(kept->Height(), row.height);
        for (int r = 0; r < row.height; r += 7)
            for (int c = 0; c < row.width; c += 5)
                ASSERT_EQ(At(*kept, r, c), row.source(r, c)) << r << "," << c;
    }
    EXPECT_FALSE(ProcessCaptureFrame(std::span(frame).first(frame.size() - 1),
                                     {false, -1, PlanCaptureCrop(0, 640, 480)}));
}

// The lit field is stretched over the whole picture, whichever it was; a flash frame whose
// fields are alike (a camera without a flash) is kept whole, as without the flash.
TEST(CapturePipeline, FlashFrameKeepsItsLitFieldOrTheWholeFrame) {
    const CaptureCrop crop = PlanCaptureCrop(0, 624, 468);
    for (int litParity : {0, 1}) {
        const auto lit = ProcessCaptureFrame(Frame([litParity](int r, int) {
                                                 const uint8_t v = r % 2 == litParity ? 200 : 20;
                                                 return std::array<uint8_t, 3>{v, v, v};
                                             }),
                                             {true, 2, crop});
        ASSERT_TRUE(lit);
        for (int r = 0; r < lit->Height(); ++r)
            ASSERT_EQ(At(*lit, r, 300), (std::array<uint8_t, 3>{200, 200, 200})) << r;
    }
    const std::vector<uint8_t> alike = Frame(Position);
    EXPECT_FALSE(HasLitField({alike.data(), frame::kWidth, frame::kHeight, frame::kWidth * 3}));
    const auto flash = ProcessCaptureFrame(alike, {true, 2, crop});
    const auto plain = ProcessCaptureFrame(alike, {false, 2, crop});
    ASSERT_TRUE(flash && plain);
    EXPECT_TRUE(std::equal(flash->Pixels().data, flash->Pixels().data + 624 * 468 * 3,
                           plain->Pixels().data));
}

TEST(ColourCorrectionTest, AddsToRedAndBlueClampedAndLeavesGreen) {
    // (250, 100, 20) with red +30 and blue -40 is stored as (255, 100, 0), whole rows alike.
    const uint32_t kept[1] = {0x14'64'FA};
    uint8_t row[3] = {};
    CorrectRow(kept, ColourCorrection(30, -40), row);
    uint32_t back[1] = {};
    KeepRow(row, back);
    EXPECT_EQ(back[0], 0x00'64'FFu);
    EXPECT_EQ(CorrectedColour(kept[0], 30, -40), back[0]);
}

TEST(ColourCorrectionTest, KeepsAndCorrectsWholePicturesRowsAtTheirStride) {
    // Two rows of two pixels, each row padded to 8 bytes; the padding is never read or written.
    const uint8_t in[16] = {20, 100, 250, 0, 0, 9, 0xEE, 0xEE, 1, 2, 3, 40, 50, 60, 0xEE, 0xEE};
    const CapturePixels kept = KeepPixels({in, 2, 2, 8});
    ASSERT_EQ(kept.colours,
              (std::vector<uint32_t>{0x14'64'FA, 0x00'00'09, 0x01'02'03, 0x28'32'3C}));
    uint8_t out[16];
    std::fill(std::begin(out), std::end(out), 0xEE);
    ASSERT_TRUE(CorrectPixels(kept, ColourCorrection(30, -40), {out, 2, 2, 8}));
    for (int i = 0; i < 4; ++i) {
        const uint8_t* bgr = out + (i / 2) * 8 + (i % 2) * 3;
        EXPECT_EQ(uint32_t{bgr[2]} | uint32_t{bgr[1]} << 8 | uint32_t{bgr[0]} << 16,
                  CorrectedColour(kept.colours[static_cast<size_t>(i)], 30, -40))
            << i;
    }
    EXPECT_EQ(out[6], 0xEE);
    EXPECT_EQ(out[15], 0xEE);
    EXPECT_FALSE(CorrectPixels(kept, ColourCorrection(0, 0), {out, 2, 1, 8})) << "another size";
    EXPECT_FALSE(CorrectPixels({}, ColourCorrection(0, 0), {out, 0, 0, 8})) << "nothing kept";
}

TEST(HandOffFolderTest, FollowsTheUsersDataFolder) {
    struct Row {
        const char* name;
        const char* dataHome;  // nullptr: unset
        const char* home;
        const char* expected;
    };
    const Row rows[] = {
        {"data home set", "/srv/data", "/home/op", "/srv/data/zelvocam"},
        {"data home unset", nullptr, "/home/op", "/home/op/.local/share/zelvocam"},
        {"relative data home ignored", "rel/data", "/home/op", "/home/op/.local/share/zelvocam"},
    };
    TempConfigHome restoresTheVariables;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.dataHome != nullptr)
            setenv("XDG_DATA_HOME", row.dataHome, 1);
        else
            unsetenv("XDG_DATA_HOME");
        setenv("HOME", row.home, 1);
        EXPECT_EQ(HandOffFolder().string(), row.expected);
    }
}

}  // namespace
