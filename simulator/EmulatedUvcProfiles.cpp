// The six emulated cameras as data, and the v4l2-sim setting.
#include "simulator/EmulatedUvcProfiles.h"

#include <linux/videodev2.h>

#include <charconv>

#include "simulator/FaultOptions.h"

namespace sim {

namespace {

// ---------------------------------------------------------------------------------------------
// Formats.

constexpr uint32_t kMjpeg = V4L2_PIX_FMT_MJPEG;
constexpr uint32_t kYuyv = V4L2_PIX_FMT_YUYV;
constexpr UvcJpegForm kNotJpeg = UvcJpegForm::kBare422;

constexpr UvcFrameSize kPtzMjpeg[] = {
    {1280, 720, {30, 15}}, {640, 480, {30, 15}}, {320, 240, {30, 15}}};
constexpr UvcFrameSize kPtzYuyv[] = {
    {640, 480, {30, 15}}, {320, 240, {30, 15}}, {1280, 720, {10, 5}}};
constexpr UvcFrameSize kAbsoluteMjpeg[] = {
    {640, 480, {30, 25, 15}}, {1280, 720, {30, 15}}, {320, 240, {30}}};
constexpr UvcFrameSize kAbsoluteYuyv[] = {{640, 480, {30, 15}}, {1280, 720, {10}}};
constexpr UvcFrameSize kWebcamMjpeg[] = {
    {640, 480, {30, 15}}, {320, 240, {30, 15}}, {160, 120, {30, 15}}};
constexpr UvcFrameSize kWebcamYuyv[] = {
    {640, 480, {30, 15}}, {320, 240, {30, 15}}, {160, 120, {30}}};
constexpr UvcFrameSize kFastMjpeg[] = {
    {640, 480, {60, 30, 15}}, {1280, 720, {30, 15}}, {320, 240, {60, 30}}};
constexpr UvcFrameSize kFastYuyv[] = {{640, 480, {30, 15}}, {320, 240, {30}}};
constexpr UvcFrameSize kYuyvOnly[] = {
    {640, 480, {30, 15, 5}}, {352, 288, {30, 15}}, {1280, 720, {10, 5}}};

constexpr UvcFormat kFormats1[] = {{kMjpeg, UvcJpegForm::kStandardTables422, kPtzMjpeg},
                                   {kYuyv, kNotJpeg, kPtzYuyv}};
constexpr UvcFormat kFormats2[] = {{kMjpeg, UvcJpegForm::kBare422, kAbsoluteMjpeg},
                                   {kYuyv, kNotJpeg, kAbsoluteYuyv}};
constexpr UvcFormat kFormats4[] = {{kMjpeg, UvcJpegForm::kBare422, kWebcamMjpeg},
                                   {kYuyv, kNotJpeg, kWebcamYuyv}};
constexpr UvcFormat kFormats5[] = {{kMjpeg, UvcJpegForm::kOwnTables420, kFastMjpeg},
                                   {kYuyv, kNotJpeg, kFastYuyv}};
constexpr UvcFormat kFormats6[] = {{kYuyv, kNotJpeg, kYuyvOnly}};

// ---------------------------------------------------------------------------------------------
// Controls, in the order of their ids (the order VIDIOC_QUERY_EXT_CTRL enumerates them in).

constexpr uint32_t kInt = V4L2_CTRL_TYPE_INTEGER;
constexpr uint32_t kBool = V4L2_CTRL_TYPE_BOOLEAN;
constexpr uint32_t kMenu = V4L2_CTRL_TYPE_MENU;
// An automatic mode changes what other controls may do.
constexpr uint32_t kAuto = V4L2_CTRL_FLAG_UPDATE;
// A position the motors change by themselves while they move.
constexpr uint32_t kMoving = V4L2_CTRL_FLAG_VOLATILE;
constexpr uint32_t kWriteOnly = V4L2_CTRL_FLAG_WRITE_ONLY;

constexpr uint32_t kPowerLineMenu = 0b111;  // disabled, 50 Hz, 60 Hz
// Manual and aperture priority (automatic exposure time); UVC cameras offer nothing else.
constexpr uint32_t kExposureMenu =
    1u << V4L2_EXPOSURE_MANUAL | 1u << V4L2_EXPOSURE_APERTURE_PRIORITY;

constexpr UvcControl kPowerLine{
    V4L2_CID_POWER_LINE_FREQUENCY,      kMenu, "Power Line Frequency", 0, 2, 1,
    V4L2_CID_POWER_LINE_FREQUENCY_60HZ, 0,     kPowerLineMenu};
constexpr UvcControl kAutoWhite{
    V4L2_CID_AUTO_WHITE_BALANCE, kBool, "White Balance, Automatic", 0, 1, 1, 1, kAuto, 0};
constexpr UvcControl kTemperature{V4L2_CID_WHITE_BALANCE_TEMPERATURE,
                                  kInt,
                                  "White Balance Temperature",
                                  2800,
                                  6500,
                                  10,
                                  4600,
                                  0,
                                  0};
constexpr UvcControl kAutoExposure{V4L2_CID_EXPOSURE_AUTO,
                                   kMenu,
                                   "Auto Exposure",
                                   V4L2_EXPOSURE_MANUAL,
                                   V4L2_EXPOSURE_APERTURE_PRIORITY,
                                   1,
                                   V4L2_EXPOSURE_APERTURE_PRIORITY,
                                   kAuto,
                                   kExposureMenu};
constexpr UvcControl kAutoFocus{
    V4L2_CID_FOCUS_AUTO, kBool, "Focus, Automatic Continuous", 0, 1, 1, 1, kAuto, 0};

constexpr UvcControl kControls1[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", 0, 255, 1, 128, 0, 0},
    kAutoWhite,
    {V4L2_CID_RED_BALANCE, kInt, "Red Balance", 0, 255, 1, 128, 0, 0},
    {V4L2_CID_BLUE_BALANCE, kInt, "Blue Balance", 0, 255, 1, 128, 0, 0},
    {V4L2_CID_GAIN, kInt, "Gain", 0, 255, 1, 0, 0, 0},
    kPowerLine,
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 0, 255, 1, 128, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 3, 2047, 1, 166, 0, 0},
    {V4L2_CID_PAN_ABSOLUTE, kInt, "Pan, Absolute", -612000, 612000, 36, 0, kMoving, 0},
    {V4L2_CID_TILT_ABSOLUTE, kInt, "Tilt, Absolute", -108000, 108000, 36, 0, kMoving, 0},
    kAutoFocus,
    {V4L2_CID_ZOOM_ABSOLUTE, kInt, "Zoom, Absolute", 100, 500, 1, 100, kMoving, 0},
    {V4L2_CID_ZOOM_CONTINUOUS, kInt, "Zoom, Continuous", -7, 7, 1, 0, 0, 0},
    {V4L2_CID_PAN_SPEED, kInt, "Pan, Speed", -24, 24, 1, 0, 0, 0},
    {V4L2_CID_TILT_SPEED, kInt, "Tilt, Speed", -24, 24, 1, 0, 0, 0},
};

constexpr UvcControl kControls2[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", 0, 255, 1, 128, 0, 0},
    kAutoWhite,
    kPowerLine,
    kTemperature,
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 0, 15, 1, 7, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 1, 10000, 1, 166, 0, 0},
    {V4L2_CID_PAN_ABSOLUTE, kInt, "Pan, Absolute", -612000, 612000, 1, 0, kMoving, 0},
    {V4L2_CID_TILT_ABSOLUTE, kInt, "Tilt, Absolute", -108000, 108000, 1, 0, kMoving, 0},
    kAutoFocus,
    {V4L2_CID_ZOOM_ABSOLUTE, kInt, "Zoom, Absolute", 100, 1000, 1, 100, kMoving, 0},
    {V4L2_CID_IRIS_ABSOLUTE, kInt, "Iris, Absolute", 0, 20, 1, 10, 0, 0},
};

constexpr UvcControl kControls3[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", 0, 255, 1, 128, 0, 0},
    kAutoWhite,
    {V4L2_CID_GAIN, kInt, "Gain", 0, 100, 1, 0, 0, 0},
    kPowerLine,
    kTemperature,
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 0, 7, 1, 3, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 3, 2047, 1, 166, 0, 0},
    {V4L2_CID_PAN_RELATIVE, kInt, "Pan, Relative", -612000, 612000, 1, 0, kWriteOnly, 0},
    {V4L2_CID_TILT_RELATIVE, kInt, "Tilt, Relative", -216000, 216000, 1, 0, kWriteOnly, 0},
    kAutoFocus,
    {V4L2_CID_ZOOM_ABSOLUTE, kInt, "Zoom, Absolute", 100, 400, 1, 100, kMoving, 0},
};

constexpr UvcControl kControls4[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", -64, 64, 1, 0, 0, 0},
    kAutoWhite,
    {V4L2_CID_GAIN, kInt, "Gain", 0, 100, 1, 0, 0, 0},
    kPowerLine,
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, kInt, "White Balance Temperature", 2800, 6500, 1, 4600, 0,
     0},
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 1, 7, 1, 2, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 1, 5000, 1, 156, 0, 0},
};

constexpr UvcControl kControls5[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", -64, 64, 1, 0, 0, 0},
    kAutoWhite,
    {V4L2_CID_GAIN, kInt, "Gain", 0, 255, 1, 0, 0, 0},
    kPowerLine,
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, kInt, "White Balance Temperature", 2000, 6500, 10, 4600, 0,
     0},
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 0, 6, 1, 3, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 3, 2047, 1, 250, 0, 0},
    kAutoFocus,
};

constexpr UvcControl kControls6[] = {
    {V4L2_CID_BRIGHTNESS, kInt, "Brightness", 0, 255, 1, 128, 0, 0},
    kAutoWhite,
    {V4L2_CID_GAIN, kInt, "Gain", 0, 255, 1, 32, 0, 0},
    kTemperature,
    {V4L2_CID_SHARPNESS, kInt, "Sharpness", 0, 255, 1, 128, 0, 0},
    kAutoExposure,
    {V4L2_CID_EXPOSURE_ABSOLUTE, kInt, "Exposure Time, Absolute", 1, 10000, 1, 166, 0, 0},
};

constexpr UvcProfile kProfiles[kUvcProfileCount] = {
    {1, "UVC PTZ Camera (speed)", "usb-0000:00:14.0-1",
     "usb-Emulated_UVC_PTZ_Speed_0001-video-index0", kFormats1, kControls1},
    {2, "UVC PTZ Camera (absolute)", "usb-0000:00:14.0-2",
     "usb-Emulated_UVC_PTZ_Absolute_0002-video-index0", kFormats2, kControls2},
    {3, "UVC PTZ Camera (relative)", "usb-0000:00:14.0-3",
     "usb-Emulated_UVC_PTZ_Relative_0003-video-index0", kFormats1, kControls3},
    {4, "UVC Webcam", "usb-0000:00:14.0-4", "usb-Emulated_UVC_Webcam_0004-video-index0", kFormats4,
     kControls4},
    {5, "UVC HD Webcam", "usb-0000:00:14.0-5", "usb-Emulated_UVC_HD_Webcam_0005-video-index0",
     kFormats5, kControls5},
    {6, "UVC YUYV Webcam", "usb-0000:00:14.0-6", "usb-Emulated_UVC_YUYV_Webcam_0006-video-index0",
     kFormats6, kControls6},
};

// ---------------------------------------------------------------------------------------------
// The setting.

constexpr std::string_view kPrefix = "v4l2-sim";

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

bool ParseUnsigned(std::string_view text, uint64_t max, uint64_t& value) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

}  // namespace

const UvcProfile* FindUvcProfile(int number) {
    return number >= 1 && number <= kUvcProfileCount ? &kProfiles[number - 1] : nullptr;
}

const UvcControl* FindUvcControl(const UvcProfile& profile, uint32_t id) {
    for (const UvcControl& control : profile.controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

const char* UvcMenuItemName(uint32_t id, uint32_t index) {
    static constexpr const char* kPowerLineNames[] = {"Disabled", "50 Hz", "60 Hz"};
    static constexpr const char* kExposureNames[] = {
        "Auto Mode", "Manual Mode", "Shutter Priority Mode", "Aperture Priority Mode"};
    if (id == V4L2_CID_POWER_LINE_FREQUENCY && index < 3 && (kPowerLineMenu >> index & 1))
        return kPowerLineNames[index];
    if (id == V4L2_CID_EXPOSURE_AUTO && index < 4 && (kExposureMenu >> index & 1))
        return kExposureNames[index];
    return nullptr;
}

bool NamesEmulatedUvcCamera(std::string_view value) {
    return value == kPrefix ||
           (value.starts_with(kPrefix) && value.substr(kPrefix.size()).starts_with(':'));
}

bool ParseEmulatedUvcSetting(std::string_view value, EmulatedUvcOptions& options,
                             std::string& error) {
    const std::string whole = "ZELVOCAM_DEVICE=" + Quote(value) + ": ";
    if (!NamesEmulatedUvcCamera(value)) {
        error = whole + "does not select the emulated UVC camera";
        return false;
    }
    EmulatedUvcOptions parsed;
    if (value == kPrefix) {
        options = parsed;
        return true;
    }
    std::string_view rest = value.substr(kPrefix.size() + 1);
    for (bool first = true;; first = false) {
        const size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        if (item.empty()) {
            error = whole + "empty item";
            return false;
        }
        if (first && item.find_first_not_of("0123456789") == std::string_view::npos) {
            uint64_t profile = 0;
            if (!ParseUnsigned(item, kUvcProfileCount, profile) || profile == 0) {
                error = whole + "profile " + Quote(item) + " is not between 1 and " +
                        std::to_string(kUvcProfileCount);
                return false;
            }
            parsed.profile = static_cast<int>(profile);
        } else if (!ParseFaultOption(item, parsed, error)) {
            error = whole + error;
            return false;
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    options = parsed;
    return true;
}

}  // namespace sim
