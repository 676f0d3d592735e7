// The capture chain from the camera frame to the picture that is kept, free of any window or
// toolkit type: the sharpening strength, the crop rectangle in the turned frame, the repair of
// a flash frame, the pipeline that runs them, and the operator's red and blue corrections.
//
// Colours are 0x00BBGGRR (red in the low byte); picture rows are B G R byte triples.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "picture/BgrPicture.h"

// The sharpening strength for the Sharpness setting 0 to 3 (200, 250, 600, 900); 0 for any
// other setting, which leaves the picture unsharpened.
int SharpenStrength(int32_t sharpness);

// Where the stored picture is cut from the frame, fixed once per capture.
struct CaptureCrop {
    int32_t rotation = 0;  // 0, 1 or 2: the rotation used (any other setting is taken as 0)
    int turn = 0;          // 0, +9000 (clockwise) or -9000 hundredths of a degree
    int left = 0;          // the rectangle in the turned frame, clipped to it
    int top = 0;
    int width = 0;
    int height = 0;
    bool IsEmpty() const { return width <= 0 || height <= 0; }
};

// The crop of `cropWidth` x `cropHeight` centred in the frame, which is 640 x 480 upright and
// 480 x 640 turned (halves truncate toward zero), clipped to that frame. A size larger than the
// frame keeps the whole frame along that side; a size of 0 or less gives an empty rectangle.
CaptureCrop PlanCaptureCrop(int32_t rotationAngle, int32_t cropWidth, int32_t cropHeight);

// The flash lights one of the frame's two interlaced fields.
enum class LitField { kOddRows, kEvenRows };

// Which field the flash lit, from the pixels at rows 100 and 101 of one column: the odd rows
// when row 100 is strictly darker (red + green + blue), the even rows otherwise.
LitField LitFieldOf(uint32_t colourRow100, uint32_t colourRow101);

// Rows 0 to 238 after the repair, from the lit field of a 480-row frame.
inline constexpr int kRepairedFieldRows = 239;
// The frame row that repaired row `row` (0 to 238) is copied from, or -1 when the row keeps its
// content (row 0 of the even field, which is already in place).
int FlashRepairSourceRow(LitField field, int row);

// How one captured frame becomes the picture kept.
struct CaptureRecipe {
    bool flash = false;     // the frame was lit by the flash in one field
    int32_t sharpness = 0;  // the Sharpness setting
    CaptureCrop crop;       // where the picture is cut (not empty)
};

// Whether one field of the frame (its even or its odd rows) is lit: its pixels add up to more
// than 1.1 times the other field's. A camera without a flash sends both fields alike.
bool HasLitField(picture::ConstView frame);

// The picture cut from a frame::kWidth x frame::kHeight camera frame (B G R, bottom-up rows of
// width x 3 bytes). A flash frame with a lit field keeps that field stretched back to the full
// height, then is turned and cut, then sharpened; any other frame (a flash frame whose fields
// are alike included) is sharpened, then turned and cut.
// Nothing when `frame` is too short or the crop does not lie in the turned frame.
std::optional<picture::Picture> ProcessCaptureFrame(std::span<const uint8_t> frame,
                                                    const CaptureRecipe& recipe);

// A kept colour with the corrections added to red and blue, each clamped to 0..255.
uint32_t CorrectedColour(uint32_t colour, int red, int blue);

// One picture row (B G R per pixel) as kept colours; `colours` has one entry per pixel.
void KeepRow(std::span<const uint8_t> bgr, std::span<uint32_t> colours);
// The operator's red and blue corrections as two lookup tables, built once per pass.
struct ColourCorrection {
    ColourCorrection(int red, int blue);
    std::array<uint8_t, 256> red;
    std::array<uint8_t, 256> blue;
};
// The kept colours of one row with the corrections, into the picture row (B G R per pixel).
void CorrectRow(std::span<const uint32_t> colours, const ColourCorrection& correction,
                std::span<uint8_t> bgr);

// The captured picture before the red and blue corrections, with its own size: the corrections
// are applied from these colours every time, so moving a slider twice never adds up.
struct CapturePixels {
    std::vector<uint32_t> colours;  // row by row
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return colours.empty(); }
    void Release() { *this = CapturePixels{}; }
    std::span<const uint32_t> Row(int row) const;
    std::span<uint32_t> Row(int row);
};
// The picture's colours, kept for its review.
CapturePixels KeepPixels(picture::ConstView picture);
// The kept colours with the corrections, into `out`, which has their size; false (`out`
// untouched) when it has not.
bool CorrectPixels(const CapturePixels& kept, const ColourCorrection& correction,
                   picture::View out);
