// Picture controls onto the renderer's settings, and the three MJPEG forms through libjpeg.
#include "simulator/EmulatedUvcFrames.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cmath>

#include "decoder/StandardTables.h"
#include "platform/jpeg/JpegMemory.h"
#include "simulator/FrameEncoder.h"

namespace sim {

namespace {

// The renderer's exposure counts quarter stops; it shows the room from 16 below to 16 above.
constexpr double kStepsPerStop = 4;
constexpr int kExposureStepLimit = 16;
// Gain adds to a fixed sensor gain, so gain 0 still shows the room.
constexpr double kSensorGain = 32;
// One step of the iris is half a stop.
constexpr double kStopsPerIrisStep = 0.5;
// The renderer's sharpness levels: 0 soft, 2 untouched, 5 crisp.
constexpr int kSharpnessNeutral = 2;
constexpr int kSharpnessMax = 5;

// `value` on the control's own scale, as a share of the way from its default to its maximum
// (positive) or to its minimum (negative), -1 to 1.
double FromDefault(const UvcControl& control, int32_t value) {
    const double d = static_cast<double>(value) - control.defaultValue;
    if (d >= 0)
        return control.maximum > control.defaultValue ? d / (control.maximum - control.defaultValue)
                                                      : 0.0;
    return control.defaultValue > control.minimum ? d / (control.defaultValue - control.minimum)
                                                  : 0.0;
}

// The quantisation tables every emulated camera uses (about quality 75).
const QuantTables& CameraQuantTables() {
    static const QuantTables tables = DefaultQuantTables();
    return tables;
}

// 4:2:0 chroma rows from 4:2:2 ones: each pair of rows averaged. Rows past the planes' padding
// repeat the last one, so a band always has whole 16-row groups.
void HalveChromaRows(const std::vector<uint8_t>& plane, size_t stride, int paddedHeight,
                     int firstRow, uint8_t* out) {
    for (int r = 0; r < 8; ++r) {
        const int a = std::min(firstRow + 2 * r, paddedHeight - 1);
        const int b = std::min(firstRow + 2 * r + 1, paddedHeight - 1);
        const uint8_t* rowA = plane.data() + static_cast<size_t>(a) * stride;
        const uint8_t* rowB = plane.data() + static_cast<size_t>(b) * stride;
        for (size_t c = 0; c < stride; ++c)
            out[r * stride + c] = static_cast<uint8_t>((rowA[c] + rowB[c] + 1) / 2);
    }
}

}  // namespace

UvcPicture PictureFromControls(const UvcProfile& profile, std::span<const int32_t> values) {
    UvcPicture picture{};
    const UvcPicture neutral{};
    auto find = [&](uint32_t id, int32_t& value) -> const UvcControl* {
        for (size_t i = 0; i < profile.controls.size() && i < values.size(); ++i) {
            if (profile.controls[i].id == id) {
                value = values[i];
                return &profile.controls[i];
            }
        }
        return nullptr;
    };
    int32_t v = 0;
    double steps = 0;
    int32_t exposureMode = V4L2_EXPOSURE_APERTURE_PRIORITY;
    find(V4L2_CID_EXPOSURE_AUTO, exposureMode);
    if (const UvcControl* c = find(V4L2_CID_EXPOSURE_ABSOLUTE, v);
        c != nullptr && exposureMode == V4L2_EXPOSURE_MANUAL && v > 0) {
        steps += kStepsPerStop * std::log2(static_cast<double>(v) / c->defaultValue);
    }
    if (const UvcControl* c = find(V4L2_CID_GAIN, v))
        steps += kStepsPerStop * std::log2((kSensorGain + v) / (kSensorGain + c->defaultValue));
    if (const UvcControl* c = find(V4L2_CID_IRIS_ABSOLUTE, v))
        steps += kStepsPerStop * kStopsPerIrisStep * (v - c->defaultValue);
    picture.exposureStep = static_cast<int>(
        std::clamp(std::lround(steps), -long{kExposureStepLimit}, long{kExposureStepLimit}));

    if (const UvcControl* c = find(V4L2_CID_BRIGHTNESS, v)) {
        const double share = FromDefault(*c, v);
        picture.brightness = static_cast<int>(std::lround(128 + share * (share > 0 ? 127 : 128)));
    }

    int32_t autoWhite = 1;
    find(V4L2_CID_AUTO_WHITE_BALANCE, autoWhite);
    if (autoWhite == 0) {
        int32_t red = 0, blue = 0;
        const UvcControl* redControl = find(V4L2_CID_RED_BALANCE, red);
        const UvcControl* blueControl = find(V4L2_CID_BLUE_BALANCE, blue);
        if (redControl != nullptr && blueControl != nullptr) {
            picture.redGain = static_cast<int>(
                std::lround(static_cast<double>(neutral.redGain) * red / redControl->defaultValue));
            picture.blueGain = static_cast<int>(std::lround(static_cast<double>(neutral.blueGain) *
                                                            blue / blueControl->defaultValue));
        } else if (const UvcControl* c = find(V4L2_CID_WHITE_BALANCE_TEMPERATURE, v)) {
            // Telling the camera that the light is bluer than it is makes it lift red and
            // lower blue.
            const double ratio = static_cast<double>(v) / c->defaultValue;
            picture.redGain = static_cast<int>(std::lround(neutral.redGain * ratio));
            picture.blueGain = static_cast<int>(std::lround(neutral.blueGain / ratio));
        }
    }

    if (const UvcControl* c = find(V4L2_CID_SHARPNESS, v)) {
        const double share = FromDefault(*c, v);
        const double span = share > 0 ? kSharpnessMax - kSharpnessNeutral : kSharpnessNeutral;
        picture.sharpness = static_cast<int>(std::lround(kSharpnessNeutral + share * span));
    }
    return picture;
}

bool EncodeUvcJpeg(const YccPlanes& planes, UvcJpegForm form, std::vector<uint8_t>& frame,
                   std::vector<uint8_t>& scratch) {
    if (form == UvcJpegForm::kBare422)
        return EncodeJpegFrame(planes, CameraQuantTables(), frame);

    const bool halfHeightChroma = form == UvcJpegForm::kOwnTables420;
    const size_t chromaStride = static_cast<size_t>(planes.stride / 2);
    scratch.resize(2 * 8 * chromaStride);
    unsigned natural[2][64];
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < 64; ++i)
            natural[t][decoder::kZigzagToNatural[i]] = CameraQuantTables()[64 * t + i];
    }

    jpeg_compress_struct cinfo{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(cinfo, errors);
    // Nothing with a destructor lives between here and the end of compression.
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg::VectorDestination dest{};
    jpeg::UseVectorDestination(cinfo, dest, frame);

    cinfo.image_width = static_cast<JDIMENSION>(planes.width);
    cinfo.image_height = static_cast<JDIMENSION>(planes.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCbCr);
    cinfo.write_JFIF_header = TRUE;
    cinfo.raw_data_in = TRUE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = halfHeightChroma ? 2 : 1;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    for (int t = 0; t < 2; ++t)
        jpeg_add_quant_table(&cinfo, t, natural[t], 100, TRUE);
    if (halfHeightChroma) {
        cinfo.optimize_coding = TRUE;  // Huffman tables made for this frame
        cinfo.restart_in_rows = 1;     // a restart marker after every row of macroblocks
    }
    jpeg_start_compress(&cinfo, TRUE);

    // One call takes a band of 8 rows per vertical sample: 8 (4:2:2) or 16 (4:2:0) picture rows.
    const int bandRows = halfHeightChroma ? 16 : 8;
    JSAMPROW yRows[16];
    JSAMPROW cbRows[8];
    JSAMPROW crRows[8];
    JSAMPARRAY data[3] = {yRows, cbRows, crRows};
    uint8_t* cbHalf = scratch.data();
    uint8_t* crHalf = scratch.data() + 8 * chromaStride;
    while (cinfo.next_scanline < cinfo.image_height) {
        const int top = static_cast<int>(cinfo.next_scanline);
        for (int r = 0; r < bandRows; ++r) {
            const size_t row = static_cast<size_t>(std::min(top + r, planes.paddedHeight - 1));
            yRows[r] = const_cast<JSAMPLE*>(planes.y.data() + row * planes.stride);
        }
        if (halfHeightChroma) {
            HalveChromaRows(planes.cb, chromaStride, planes.paddedHeight, top, cbHalf);
            HalveChromaRows(planes.cr, chromaStride, planes.paddedHeight, top, crHalf);
        }
        for (int r = 0; r < 8; ++r) {
            if (halfHeightChroma) {
                cbRows[r] = cbHalf + r * chromaStride;
                crRows[r] = crHalf + r * chromaStride;
            } else {
                const size_t row = static_cast<size_t>(top + r);  // padded planes hold whole bands
                cbRows[r] = const_cast<JSAMPLE*>(planes.cb.data() + row * chromaStride);
                crRows[r] = const_cast<JSAMPLE*>(planes.cr.data() + row * chromaStride);
            }
        }
        jpeg_write_raw_data(&cinfo, data, static_cast<JDIMENSION>(bandRows));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace sim
