// The arithmetic of the capture chain (see CaptureProcessing.h).
#include "capture/CaptureProcessing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "device/FrameGeometry.h"

namespace {

// The camera frame's rows: B G R, no padding (640 x 3 is a multiple of 4).
constexpr ptrdiff_t kFrameRowBytes = ptrdiff_t{frame::kWidth} * picture::kBytesPerPixel;

int Brightness(uint32_t colour) {
    return static_cast<int>((colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF));
}

// One axis of the centred crop: the rectangle's start and length inside [0, frame).
void CentreAndClip(int64_t frame, int64_t size, int& start, int& length) {
    if (size <= 0) {
        start = 0;
        length = 0;
        return;
    }
    const int64_t first = (frame - size) / 2;  // truncates toward zero, as the layouts do
    const int64_t begin = std::max<int64_t>(first, 0);
    const int64_t end = std::min<int64_t>(first + size, frame);
    start = static_cast<int>(begin);
    length = static_cast<int>(std::max<int64_t>(end - begin, 0));
}

}  // namespace

int SharpenStrength(int32_t sharpness) {
    constexpr std::array<int, 4> kStrengths{200, 250, 600, 900};
    if (sharpness < 0 || sharpness >= static_cast<int32_t>(kStrengths.size()))
        return 0;
    return kStrengths[static_cast<size_t>(sharpness)];
}

CaptureCrop PlanCaptureCrop(int32_t rotationAngle, int32_t cropWidth, int32_t cropHeight) {
    CaptureCrop crop;
    crop.rotation = frame::QuarterTurn(rotationAngle) ? rotationAngle : 0;
    crop.turn = crop.rotation == 1 ? 9000 : crop.rotation == 2 ? -9000 : 0;
    const frame::Size shown = frame::Shown(crop.rotation);
    CentreAndClip(shown.width, cropWidth, crop.left, crop.width);
    CentreAndClip(shown.height, cropHeight, crop.top, crop.height);
    if (crop.IsEmpty()) {
        crop.width = 0;
        crop.height = 0;
    }
    return crop;
}

LitField LitFieldOf(uint32_t colourRow100, uint32_t colourRow101) {
    return Brightness(colourRow100) < Brightness(colourRow101) ? LitField::kOddRows
                                                               : LitField::kEvenRows;
}

int FlashRepairSourceRow(LitField field, int row) {
    if (row < 0 || row >= kRepairedFieldRows)
        return -1;
    if (field == LitField::kOddRows)
        return 2 * row + 1;          // rows 1, 3, ... 477
    return row == 0 ? -1 : 2 * row;  // rows 2, 4, ... 476; row 0 stays
}

namespace {

// The frame's rows top-down.
picture::Picture UprightFrame(std::span<const uint8_t> frame) {
    picture::Picture upright(frame::kWidth, frame::kHeight);
    const picture::ConstView bottomUp{frame.data() + (frame::kHeight - 1) * kFrameRowBytes,
                                      frame::kWidth, frame::kHeight, -kFrameRowBytes};
    picture::Copy(bottomUp, upright.Pixels());
    return upright;
}

uint32_t ColourAt(const picture::Picture& p, int row, int column) {
    const uint8_t* bgr = p.Pixels().Row(row) + ptrdiff_t{column} * picture::kBytesPerPixel;
    return uint32_t{bgr[2]} | uint32_t{bgr[1]} << 8 | uint32_t{bgr[0]} << 16;
}

// The lit field of a flash frame, stretched back to the frame's height so that the picture
// shows no dark lines.
picture::Picture RepairedFlashFrame(picture::Picture frame) {
    const LitField field = LitFieldOf(ColourAt(frame, 100, 320), ColourAt(frame, 101, 320));
    const picture::View pixels = frame.Pixels();
    for (int target = 0; target < kRepairedFieldRows; ++target) {
        const int source = FlashRepairSourceRow(field, target);
        if (source >= 0)
            std::memcpy(pixels.Row(target), pixels.Row(source), pixels.RowBytes());
    }
    picture::Picture stretched(frame::kWidth, frame::kHeight);
    picture::Stretch(picture::Cut(frame.Pixels(), 0, 0, frame::kWidth, kRepairedFieldRows),
                     stretched.Pixels());
    return stretched;
}

picture::Picture Sharpened(picture::Picture in, int32_t sharpness) {
    const int strength = SharpenStrength(sharpness);
    if (strength == 0)
        return in;
    picture::Picture out(in.Width(), in.Height());
    picture::Sharpen(in.Pixels(), out.Pixels(), strength);
    return out;
}

std::optional<picture::Picture> TurnedAndCut(const picture::Picture& in, const CaptureCrop& crop) {
    picture::Picture turned;
    if (crop.turn != 0) {
        turned = picture::Picture(in.Height(), in.Width());
        picture::TurnQuarter(in.Pixels(), turned.Pixels(), crop.turn > 0);
    }
    const picture::Picture& whole = crop.turn != 0 ? turned : in;
    if (crop.IsEmpty() || crop.left < 0 || crop.top < 0 || crop.left + crop.width > whole.Width() ||
        crop.top + crop.height > whole.Height())
        return std::nullopt;
    picture::Picture cut(crop.width, crop.height);
    picture::Copy(picture::Cut(whole.Pixels(), crop.left, crop.top, crop.width, crop.height),
                  cut.Pixels());
    return cut;
}

}  // namespace

bool HasLitField(picture::ConstView frame) {
    uint64_t fields[2] = {0, 0};
    for (int row = 0; row < frame.height; ++row) {
        const uint8_t* bytes = frame.Row(row);
        uint64_t sum = 0;
        for (size_t i = 0; i < frame.RowBytes(); ++i)
            sum += bytes[i];
        fields[row % 2] += sum;
    }
    const uint64_t brighter = std::max(fields[0], fields[1]);
    const uint64_t dimmer = std::min(fields[0], fields[1]);
    return brighter * 10 > dimmer * 11;
}

std::optional<picture::Picture> ProcessCaptureFrame(std::span<const uint8_t> frame,
                                                    const CaptureRecipe& recipe) {
    if (frame.size() < size_t{kFrameRowBytes} * frame::kHeight)
        return std::nullopt;
    picture::Picture upright = UprightFrame(frame);
    if (recipe.flash && HasLitField(upright.Pixels())) {
        auto cut = TurnedAndCut(RepairedFlashFrame(std::move(upright)), recipe.crop);
        if (!cut)
            return std::nullopt;
        return Sharpened(std::move(*cut), recipe.sharpness);
    }
    return TurnedAndCut(Sharpened(std::move(upright), recipe.sharpness), recipe.crop);
}

uint32_t CorrectedColour(uint32_t colour, int red, int blue) {
    const int r = std::clamp(static_cast<int>(colour & 0xFF) + red, 0, 255);
    const int b = std::clamp(static_cast<int>((colour >> 16) & 0xFF) + blue, 0, 255);
    return static_cast<uint32_t>(r) | (colour & 0xFF00u) | static_cast<uint32_t>(b) << 16;
}

void KeepRow(std::span<const uint8_t> bgr, std::span<uint32_t> colours) {
    const size_t n = std::min(colours.size(), bgr.size() / 3);
    const uint8_t* in = bgr.data();
    for (size_t i = 0; i < n; ++i, in += 3)
        colours[i] = uint32_t{in[2]} | uint32_t{in[1]} << 8 | uint32_t{in[0]} << 16;
}

ColourCorrection::ColourCorrection(int redAmount, int blueAmount) {
    for (int v = 0; v < 256; ++v) {
        red[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(v + redAmount, 0, 255));
        blue[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(v + blueAmount, 0, 255));
    }
}

void CorrectRow(std::span<const uint32_t> colours, const ColourCorrection& correction,
                std::span<uint8_t> bgr) {
    const size_t n = std::min(colours.size(), bgr.size() / 3);
    uint8_t* out = bgr.data();
    for (size_t i = 0; i < n; ++i, out += 3) {
        const uint32_t c = colours[i];
        out[0] = correction.blue[(c >> 16) & 0xFF];
        out[1] = static_cast<uint8_t>(c >> 8);
        out[2] = correction.red[c & 0xFF];
    }
}

std::span<uint32_t> CapturePixels::Row(int row) {
    const size_t w = static_cast<size_t>(width);
    return std::span(colours).subspan(static_cast<size_t>(row) * w, w);
}

std::span<const uint32_t> CapturePixels::Row(int row) const {
    return const_cast<CapturePixels&>(*this).Row(row);  // reads only
}

CapturePixels KeepPixels(picture::ConstView picture) {
    CapturePixels kept;
    if (picture.width <= 0 || picture.height <= 0)
        return kept;
    kept.colours.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    kept.width = picture.width;
    kept.height = picture.height;
    for (int row = 0; row < picture.height; ++row)
        KeepRow({picture.Row(row), picture.RowBytes()}, kept.Row(row));
    return kept;
}

bool CorrectPixels(const CapturePixels& kept, const ColourCorrection& correction,
                   picture::View out) {
    if (kept.IsEmpty() || out.width != kept.width || out.height != kept.height)
        return false;
    for (int row = 0; row < kept.height; ++row)
        CorrectRow(kept.Row(row), correction, {out.Row(row), out.RowBytes()});
    return true;
}
