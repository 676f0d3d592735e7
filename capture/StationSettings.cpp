// Loading and saving the operator's settings (see StationSettings.h).
//
// The load order, the defaults, the names defaults are written back under, and the checks are
// one table read by one loop; the save list is a second table. Both orders are part of the
// behaviour: a default may be an earlier member's value, and stored keys carry the odd
// written-back names ("m_LiveCapture", "m_CalibrationError", "LockZoom"), so neither may change.
#include "capture/StationSettings.h"

#include <charconv>
#include <span>
#include <string_view>

#include "device/FrameGeometry.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Folders.h"

namespace {

using S = StationSettings;

// The frame the crop rectangle lives in.
constexpr int32_t kMinCropWidth = 100;
// The upright picture's default size: the frame less a margin of 8 and 6 pixels each side.
constexpr int32_t kUprightWidth = 624;
constexpr int32_t kUprightHeight = 468;
// What the registry hands a text read: 254 characters and the terminator.
constexpr size_t kTextBuffer = 255;

enum class Kind : uint8_t { kText, kDword, kCorrection };
enum class TextDefault : uint8_t { kNone, kJpgFileName, kPath, kPassWord };
enum class Check : uint8_t { kNone, kRange, kTop, kLeft };
enum class Then : uint8_t { kNothing, kFlashCaptureStep, kRotationAngleStep };

// One row of the load table.
struct LoadRow {
    std::string_view name;
    Kind kind = Kind::kDword;
    std::string S::*text = nullptr;
    int32_t S::*dword = nullptr;
    int8_t S::*correction = nullptr;
    TextDefault textDefault = TextDefault::kNone;
    int32_t fixedDefault = 0;
    int32_t S::*defaultFrom = nullptr;  // the default is this member's value at that moment
    std::string_view writtenBackAs;     // empty: the name read
    Check check = Check::kNone;
    int32_t low = 0, high = 0, replacement = 0;  // kRange: outside low..high becomes replacement
    Then then = Then::kNothing;

    constexpr LoadRow WrittenBackAs(std::string_view n) const {
        LoadRow r = *this;
        r.writtenBackAs = n;
        return r;
    }
    constexpr LoadRow Outside(int32_t lo, int32_t hi, int32_t becomes) const {
        LoadRow r = *this;
        r.check = Check::kRange;
        r.low = lo;
        r.high = hi;
        r.replacement = becomes;
        return r;
    }
    constexpr LoadRow Checked(Check c) const {
        LoadRow r = *this;
        r.check = c;
        return r;
    }
    constexpr LoadRow ThenRun(Then t) const {
        LoadRow r = *this;
        r.then = t;
        return r;
    }
};

constexpr LoadRow Text(std::string_view name, std::string S::*m, TextDefault d) {
    LoadRow r;
    r.name = name;
    r.kind = Kind::kText;
    r.text = m;
    r.textDefault = d;
    return r;
}
constexpr LoadRow Dword(std::string_view name, int32_t S::*m, int32_t fallback) {
    LoadRow r;
    r.name = name;
    r.dword = m;
    r.fixedDefault = fallback;
    return r;
}
constexpr LoadRow DwordFrom(std::string_view name, int32_t S::*m, int32_t S::*from) {
    LoadRow r = Dword(name, m, 0);
    r.defaultFrom = from;
    return r;
}
constexpr LoadRow Correction(std::string_view name, int8_t S::*m) {
    LoadRow r;
    r.name = name;
    r.kind = Kind::kCorrection;
    r.correction = m;
    return r;
}

// Every value but the crop size, in load order.
constexpr LoadRow kLoadOrder[] = {
    Text("JPG File Name", &S::m_JpgFileName, TextDefault::kJpgFileName),
    Text("Path", &S::m_Path, TextDefault::kPath),
    Text("PassWord", &S::m_PassWord, TextDefault::kPassWord),
    Dword("Interface", &S::m_Interface, 1),
    Dword("PanSetting", &S::m_PanSetting, 0),
    Dword("TiltSetting", &S::m_TiltSetting, 0),
    Dword("ZoomSetting", &S::m_ZoomSetting, 0),
    Dword("ZoomPreset1", &S::m_ZoomPreset1, 0),
    Dword("ZoomPreset2", &S::m_ZoomPreset2, 0),
    Dword("ZoomPreset3", &S::m_ZoomPreset3, 0),
    Dword("Zoom Position", &S::m_ZoomPosition, 0),
    Dword("AutoFocus", &S::m_AutoFocus, 1),
    Dword("DefaultSharpness", &S::m_DefaultSharpness, 2),
    Dword("DefaultRedPreviewOffset", &S::m_DefaultRedPreviewOffset, 0),
    Dword("DefaultBluePreviewOffset", &S::m_DefaultBluePreviewOffset, 0),
    Dword("DefaultRedFlashOffset", &S::m_DefaultRedFlashOffset, 0),
    Dword("DefaultBlueFlashOffset", &S::m_DefaultBlueFlashOffset, 0),
    Dword("DefaultChromaPreviewLevel", &S::m_DefaultChromaPreviewLevel, 72),
    Dword("DefaultChromaFlashLevel", &S::m_DefaultChromaFlashLevel, 74),
    Dword("DefaultAperature", &S::m_DefaultAperature, 3),
    Dword("DefaultFlashDelay", &S::m_DefaultFlashDelay, 500),
    DwordFrom("ChromaLevel", &S::m_ChromaLevel, &S::m_DefaultChromaPreviewLevel),
    DwordFrom("FlashChromaLevel", &S::m_FlashChromaLevel, &S::m_DefaultChromaFlashLevel),
    Dword("Top", &S::m_WindowTop, 0).Checked(Check::kTop),
    Dword("Left", &S::m_WindowLeft, 0).Checked(Check::kLeft),
    Dword("FlashIrisLevel", &S::m_FlashIrisLevel, 17),
    Dword("PreviewCapture", &S::m_PreviewCapture, 1).Outside(0, 1, 1),
    Dword("ZoomPreset", &S::m_ZoomPreset, 0).Outside(0, 3, 2),
    Dword("FlashCapture", &S::m_FlashCapture, 0).Outside(0, 1, 1).ThenRun(Then::kFlashCaptureStep),
    DwordFrom("Sharpness", &S::m_Sharpness, &S::m_DefaultSharpness).Outside(0, 3, 2),
    DwordFrom("RedPreviewOffset", &S::m_RedPreviewOffset, &S::m_DefaultRedPreviewOffset),
    DwordFrom("RedFlashOffset", &S::m_RedFlashOffset, &S::m_DefaultRedFlashOffset),
    DwordFrom("BluePreviewOffset", &S::m_BluePreviewOffset, &S::m_DefaultBluePreviewOffset),
    DwordFrom("BlueFlashOffset", &S::m_BlueFlashOffset, &S::m_DefaultBlueFlashOffset),
    Dword("Brightness", &S::m_Brightness, 124),
    Dword("Contrast", &S::m_Contrast, 64),
    DwordFrom("Aperature", &S::m_Aperature, &S::m_DefaultAperature).Outside(0, 4, 3),
    Dword("PTZSpeed", &S::m_PTZSpeed, 1),
    Dword("CompressionLevel", &S::m_CompressionLevel, 75),
    Dword("CropSelect", &S::m_CropSelect, 0),
    Dword("LiveCapture", &S::m_LiveCapture, 1).WrittenBackAs("m_LiveCapture").Outside(0, 2, 1),
    Dword("ZoomAutoPosition", &S::m_ZoomAutoPosition, 0),
    Dword("AutoPositionEnabled", &S::m_AutoPositionEnabled, 0),
    Dword("CalibrationError", &S::m_CalibrationError, 60).WrittenBackAs("m_CalibrationError"),
    Dword("m_PanReverse", &S::m_PanReverse, 0),
    Dword("m_TiltReverse", &S::m_TiltReverse, 0),
    Dword("XCenterOffset", &S::m_XCenterOffset, 0),
    Dword("YCenterOffset", &S::m_YCenterOffset, 0),
    Dword("Lock Zoom", &S::m_LockZoom, 0).WrittenBackAs("LockZoom"),
    Dword("Lock Iris", &S::m_LockIris, 0),
    Dword("Auto White", &S::m_AutoWhite, 0),
    Dword("Red Lock Gain", &S::m_RedLockGain, 0),
    Dword("Blue Lock Gain", &S::m_BlueLockGain, 0),
    Dword("Flash Color Correction", &S::m_FlashColorCorrection, 1),
    Correction("RedFlashCorrection", &S::m_RedFlashCorrection),
    Correction("BlueFlashCorrection", &S::m_BlueFlashCorrection),
    Correction("RedLiveCorrection", &S::m_RedLiveCorrection),
    Correction("BlueLiveCorrection", &S::m_BlueLiveCorrection),
    Dword("ColorCorrectionLock", &S::m_ColorCorrectionLock, 0),
    Dword("Capture Type", &S::m_CaptureType, 0).Outside(0, 2, 0),
    Dword("Compression Factor", &S::m_CompressionFactor, 10),
    Dword("Save File Type", &S::m_SaveFileType, 1),
    Dword("Horizontal_DPI", &S::m_HorizontalDPI, 96),
    Dword("Vertical_DPI", &S::m_VerticalDPI, 96),
    Dword("RotationAngle", &S::m_RotationAngle, 0).ThenRun(Then::kRotationAngleStep),
};
static_assert(std::size(kLoadOrder) == 65, "65 values, then the crop size");

// One entry of the save list.
enum class SaveAs : uint8_t { kDword, kCorrection, kText, kFactorText };
struct SaveEntry {
    std::string_view name;
    SaveAs as = SaveAs::kDword;
    int32_t S::*dword = nullptr;
    int8_t S::*correction = nullptr;
    std::string S::*text = nullptr;
};
constexpr SaveEntry Save(std::string_view name, int32_t S::*m) {
    return {name, SaveAs::kDword, m};
}
constexpr SaveEntry Save(std::string_view name, int8_t S::*m) {
    return {name, SaveAs::kCorrection, nullptr, m};
}
constexpr SaveEntry Save(std::string_view name, std::string S::*m) {
    return {name, SaveAs::kText, nullptr, nullptr, m};
}

// The save list in its order. The reversal flags go out under both names: "Pan Reverse" and
// "Tilt Reverse" as they always have, and the "m_" names the loader reads, so an operator's
// reversal survives a restart.
constexpr SaveEntry kSaveOrder[] = {
    Save("Zoom Position", &S::m_ZoomPosition),
    Save("Interface", &S::m_Interface),
    Save("CropWidth", &S::m_CropWidth),
    Save("CropHeight", &S::m_CropHeight),
    Save("AutoFocus", &S::m_AutoFocus),
    Save("FlashIrisLevel", &S::m_FlashIrisLevel),
    Save("Top", &S::m_WindowTop),
    Save("Left", &S::m_WindowLeft),
    Save("FlashDelay", &S::m_FlashDelay),
    Save("PreviewCapture", &S::m_PreviewCapture),
    Save("ZoomPreset", &S::m_ZoomPreset),
    Save("FlashCapture", &S::m_FlashCapture),
    Save("Sharpness", &S::m_Sharpness),
    Save("RedPreviewOffset", &S::m_RedPreviewOffset),
    Save("RedFlashOffset", &S::m_RedFlashOffset),
    Save("BluePreviewOffset", &S::m_BluePreviewOffset),
    Save("BlueFlashOffset", &S::m_BlueFlashOffset),
    Save("ChromaLevel", &S::m_ChromaLevel),
    Save("FlashChromaLevel", &S::m_FlashChromaLevel),
    Save("Brightness", &S::m_Brightness),
    Save("Contrast", &S::m_Contrast),
    Save("Aperature", &S::m_Aperature),
    Save("PTZSpeed", &S::m_PTZSpeed),
    Save("CompressionLevel", &S::m_CompressionLevel),
    Save("CropSelect", &S::m_CropSelect),
    Save("PassWord", &S::m_PassWord),
    Save("LiveCapture", &S::m_LiveCapture),
    {"AutoCorrectionFactor", SaveAs::kFactorText},
    Save("AutoPositionEnabled", &S::m_AutoPositionEnabled),
    Save("Pan Reverse", &S::m_PanReverse),
    Save("Tilt Reverse", &S::m_TiltReverse),
    Save("m_PanReverse", &S::m_PanReverse),
    Save("m_TiltReverse", &S::m_TiltReverse),
    Save("XCenterOffset", &S::m_XCenterOffset),
    Save("YCenterOffset", &S::m_YCenterOffset),
    Save("Lock Zoom", &S::m_LockZoom),
    Save("Lock Iris", &S::m_LockIris),
    Save("RotationAngle", &S::m_RotationAngle),
    Save("Auto White", &S::m_AutoWhite),
    Save("Red Lock Gain", &S::m_RedLockGain),
    Save("Blue Lock Gain", &S::m_BlueLockGain),
    Save("DefaultRedPreviewOffset", &S::m_DefaultRedPreviewOffset),
    Save("Flash Color Correction", &S::m_FlashColorCorrection),
    Save("RedFlashCorrection", &S::m_RedFlashCorrection),
    Save("BlueFlashCorrection", &S::m_BlueFlashCorrection),
    Save("RedLiveCorrection", &S::m_RedLiveCorrection),
    Save("BlueLiveCorrection", &S::m_BlueLiveCorrection),
    Save("ColorCorrectionLock", &S::m_ColorCorrectionLock),
    Save("Capture Type", &S::m_CaptureType),
    Save("Compression Factor", &S::m_CompressionFactor),
    Save("Path", &S::m_Path),
    Save("Save File Type", &S::m_SaveFileType),
    Save("TiltSetting", &S::m_TiltSetting),
    Save("PanSetting", &S::m_PanSetting),
    Save("ZoomSetting", &S::m_ZoomSetting),
    Save("ZoomPreset1", &S::m_ZoomPreset1),
    Save("ZoomPreset2", &S::m_ZoomPreset2),
    Save("ZoomPreset3", &S::m_ZoomPreset3),
};
static_assert(std::size(kSaveOrder) == 58, "56 values and the two reversal flags again");

std::string HomeWithSeparator() {
    std::string folder = sys::HomeFolder().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string DefaultText(TextDefault d) {
    switch (d) {
        case TextDefault::kJpgFileName:
            return DefaultJpgFileName();
        case TextDefault::kPath:
            return DefaultPath();
        case TextDefault::kPassWord:
            return "None";
        case TextDefault::kNone:
            break;
    }
    return {};
}

int32_t Checked(const LoadRow& row, int32_t v, ScreenSize screen) {
    switch (row.check) {
        case Check::kNone:
            return v;
        case Check::kRange:
            return (v < row.low || v > row.high) ? row.replacement : v;
        case Check::kTop:
            // Keep the caption bar reachable.
            if (v < 0)
                return 2;
            return v > screen.height ? screen.height - 2 : v;
        case Check::kLeft:
            if (v < 0)
                return 0;
            return v > screen.width ? screen.width - 10 : v;
    }
    return v;
}

// Reads one row into its member, writing the default back when the value cannot be read.
void LoadValue(const LoadRow& row, S& s, RegistryKey& key, ScreenSize screen) {
    const std::string_view writeName = row.writtenBackAs.empty() ? row.name : row.writtenBackAs;
    switch (row.kind) {
        case Kind::kText: {
            std::string text;
            if (key.QueryText(row.name, text, kTextBuffer)) {
                s.*row.text = std::move(text);
            } else {
                s.*row.text = DefaultText(row.textDefault);
                key.SetText(writeName, s.*row.text);
            }
            return;
        }
        case Kind::kDword: {
            uint32_t raw = 0;
            if (key.QueryDword(row.name, raw)) {
                s.*row.dword = static_cast<int32_t>(raw);
            } else {
                s.*row.dword = row.defaultFrom != nullptr ? s.*row.defaultFrom : row.fixedDefault;
                key.SetDword(writeName, static_cast<uint32_t>(s.*row.dword));
            }
            s.*row.dword = Checked(row, s.*row.dword, screen);
            return;
        }
        case Kind::kCorrection: {
            // Only the low byte is the correction; it is signed.
            uint32_t raw = 0;
            if (key.QueryDword(row.name, raw)) {
                s.*row.correction = static_cast<int8_t>(static_cast<uint8_t>(raw & 0xff));
            } else {
                s.*row.correction = 0;
                key.SetDword(writeName, 0);
            }
            return;
        }
    }
}

// A crop dimension as stored, or `fallback` written back when it cannot be read.
bool LoadCropValue(RegistryKey& key, std::string_view name, int32_t fallback, int32_t& value) {
    uint32_t raw = 0;
    if (key.QueryDword(name, raw)) {
        value = static_cast<int32_t>(raw);
        return true;
    }
    value = fallback;
    key.SetDword(name, static_cast<uint32_t>(fallback));
    return false;
}

// Upright picture: at most 640 by 480, centred in the frame.
void LoadUprightCrop(S& s, RegistryKey& key) {
    if (LoadCropValue(key, "CropWidth", kUprightWidth, s.m_CropWidth)) {
        s.m_CropOffsetX = CentredCropOffset(frame::kWidth, s.m_CropWidth);
    } else {
        s.m_CropOffsetX = 8;
    }
    if (LoadCropValue(key, "CropHeight", kUprightHeight, s.m_CropHeight)) {
        s.m_CropOffsetY = CentredCropOffset(frame::kHeight, s.m_CropHeight);
    } else {
        s.m_CropOffsetY = 6;
    }
    if (s.m_CropWidth > frame::kWidth) {
        s.m_CropWidth = frame::kWidth;
        s.m_CropOffsetX = 0;
    }
    if (s.m_CropHeight > frame::kHeight) {
        s.m_CropHeight = frame::kHeight;
        s.m_CropOffsetY = 0;
    }
    // The offset stays as computed from the stored width.
    if (s.m_CropWidth < kMinCropWidth)
        s.m_CropWidth = kMinCropWidth;
    // A picture with no rows cannot be shown or stored; such a stored height counts as the
    // default, centred as the default is.
    if (s.m_CropHeight < 1) {
        s.m_CropHeight = kUprightHeight;
        s.m_CropOffsetY = 6;
    }
}

// Turned picture: at most 480 by 640; the layout centres it. Any interface but Law Enforcement
// (0) gets the Standard sizes, as it gets the Standard layout.
void LoadTurnedCrop(S& s, RegistryKey& key) {
    const bool lawEnforcement = s.m_Interface == 0;
    const int32_t defaultHeight = lawEnforcement ? 624 : 600;
    LoadCropValue(key, "CropWidth", lawEnforcement ? 468 : 480, s.m_CropWidth);
    LoadCropValue(key, "CropHeight", defaultHeight, s.m_CropHeight);
    if (s.m_CropWidth > frame::kHeight)
        s.m_CropWidth = frame::kHeight;
    if (s.m_CropWidth < kMinCropWidth)
        s.m_CropWidth = kMinCropWidth;
    if (s.m_CropHeight > frame::kWidth)
        s.m_CropHeight = frame::kWidth;
    if (s.m_CropHeight < 1)
        s.m_CropHeight = defaultHeight;
}

// "%g" as the C locale writes it, whatever locale the toolkit has switched to.
std::string FormatFactor(float factor) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, factor, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

bool SaveValue(const SaveEntry& e, const S& s, RegistryKey& key) {
    switch (e.as) {
        case SaveAs::kDword:
            return key.SetDword(e.name, static_cast<uint32_t>(s.*e.dword));
        case SaveAs::kCorrection:
            // The 8-bit member widened to the 4 bytes a DWORD holds; readers take the low byte.
            return key.SetDword(e.name, static_cast<uint32_t>(int32_t{s.*e.correction}));
        case SaveAs::kText:
            return key.SetText(e.name, s.*e.text);
        case SaveAs::kFactorText:
            return key.SetText(e.name, FormatFactor(s.m_AutoCorrectionFactor));
    }
    return false;
}

}  // namespace

CropSizeLimits CropLimitsFor(int32_t rotation) {
    const frame::Size shown = frame::Shown(rotation);
    return {kMinCropWidth, shown.width, 1, shown.height};
}

CorrectionsInForce CorrectionsFor(StationSettings& settings) {
    if (settings.m_FlashCapture != 0)
        return {settings.m_RedFlashCorrection, settings.m_BlueFlashCorrection};
    return {settings.m_RedLiveCorrection, settings.m_BlueLiveCorrection};
}

int32_t CentredCropOffset(int32_t frame, int32_t size) {
    return static_cast<int32_t>((int64_t{frame} - int64_t{size}) / 2);
}

std::string DefaultJpgFileName() {
    return HomeWithSeparator() + "ZelvoCam Temp.JPG";
}

std::string DefaultPath() {
    return HomeWithSeparator();
}

bool LoadSettings(StationSettings& settings, RegistryKey& key, ScreenSize screen,
                  const LoadSettingsSteps& steps) {
    settings.m_ScreenWidth = screen.width;
    settings.m_ScreenHeight = screen.height;
    // The defaults written back reach the file together, once every value has been read.
    key.BeginBatch();
    for (const LoadRow& row : kLoadOrder) {
        LoadValue(row, settings, key, screen);
        if (row.then == Then::kFlashCaptureStep && steps.afterFlashCapture) {
            steps.afterFlashCapture();
        } else if (row.then == Then::kRotationAngleStep && steps.afterRotationAngle) {
            steps.afterRotationAngle();
        }
    }
    if (frame::CropTurned(settings.m_RotationAngle)) {
        LoadTurnedCrop(settings, key);
    } else {
        LoadUprightCrop(settings, key);
    }
    return key.CommitBatch();
}

bool SaveSettings(const StationSettings& settings, RegistryKey& key) {
    // One replacement of the key file: a save cut short leaves the whole previous save.
    key.BeginBatch();
    bool all = true;
    for (const SaveEntry& e : kSaveOrder)
        all = SaveValue(e, settings, key) && all;
    return key.CommitBatch() && all;
}
