// The property table and the two calls over it, GetCameraProperty and SetCameraProperty, plus
// the initial programming sequence that OpenCamera runs from the table's defaults.
//
// One row per property id says where its value lives (a settings word, a live register, the
// information reply), which register it is mirrored to, its default, and how a get and a set
// treat it. The few setters with rules of their own (tone curve, sizes, streaming) are small
// functions named after the rule.
#include <algorithm>
#include <array>
#include <cstring>

#include "device/Camera.h"
#include "device/CameraInternal.h"
#include "device/CameraTables.h"
#include "device/TextConvert.h"

using camera_internal::State;

namespace {

enum class Get : uint8_t {
    None,        // not readable: 3
    Stored,      // the settings word
    Live,        // a register read each time (the camera changes it by itself)
    Property25,  // the host copy of register 23
    InfoWord,    // a word of the information reply
    InfoNarrow,  // a text of the information reply as UTF-8
    InfoWide,    // the same text as UTF-16
    LastRead,    // the byte count of the last driver read, u32
};

enum class Set : uint8_t {
    None,           // not writable: 3
    Mirror,         // store, write the register
    StoreOnly,      // store, nothing sent
    WriteOnly,      // write the register, nothing stored
    ToneKnee,       // store min(v, 255), send the tone curve
    ToneSelector,   // store min(v, 255), send the tone curve
    Quality,        // store min(v, 100), send the quantisation tables
    Format,         // store one of the selectable output formats
    Streaming,      // switch streaming on or off
    Property25,     // store in the host copy, write register 23
    SizePreset,     // pick a row of the size presets
    ImageWidth,     // refused while streaming
    SizeLimited,    // image height and sensor area: allowed while streaming, answered with 7
    GuardedByMode,  // refused while the mode word is set
    ScaleFactor,    // sensor area = image size x factor
};

struct PropertyRow {
    uint16_t CameraSettings::*word;  // null: no settings word
    int16_t reg;                     // register mirrored by a set, -1 none
    uint16_t initial;                // default after open
    Get get;
    uint16_t getArg;  // Live: register; Info*: byte offset in the reply
    Set set;
    uint16_t CameraSettings::*limit;  // SizeLimited / ImageWidth: the sensor maximum
};

using S = CameraSettings;
constexpr uint16_t CameraSettings::*kNoWord = nullptr;

// Index = property id. Ids 35-37 are filled by the programming sequence, not by defaults.
constexpr std::array<PropertyRow, 49> kProperties = {{
    /* 0 */ {kNoWord, -1, 0, Get::None, 0, Set::None, kNoWord},
    /* 1 */ {&S::modeWord, 1, 1, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 2 */ {&S::register31, 31, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 3 */ {&S::register32, 32, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 4 */ {&S::toneKnee, 13, 0, Get::Stored, 0, Set::ToneKnee, kNoWord},
    /* 5 */ {&S::register48, 48, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 6 */ {&S::argB, 4, 125, Get::Live, 4, Set::Mirror, kNoWord},
    /* 7 */ {&S::register5, 5, 125, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 8 */ {&S::streaming, 6, 0, Get::Stored, 0, Set::Streaming, kNoWord},
    /* 9 */ {&S::hostDecoding, -1, 0, Get::Stored, 0, Set::StoreOnly, kNoWord},
    /* 10 */ {&S::quality, 25, 75, Get::Stored, 0, Set::Quality, kNoWord},
    /* 11 */ {&S::command, 7, 125, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 12 */ {&S::register9, 9, 1, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 13 */ {&S::outputFormat, -1, kFormatRgb565, Get::Stored, 0, Set::Format, kNoWord},
    /* 14 */ {&S::toneSelector, 13, 70, Get::Stored, 0, Set::ToneSelector, kNoWord},
    /* 15 */ {kNoWord, 42, 0, Get::Live, 42, Set::WriteOnly, kNoWord},
    /* 16 */ {kNoWord, -1, 0, Get::Live, 14, Set::None, kNoWord},
    /* 17 */ {&S::register15, 15, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 18 */ {&S::register17, 17, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 19 */ {&S::register18, 18, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 20 */ {kNoWord, -1, 0, Get::InfoWord, kInfoWord2Offset, Set::None, kNoWord},
    /* 21 */ {kNoWord, -1, 0, Get::InfoNarrow, kInfoText1Offset, Set::None, kNoWord},
    /* 22 */ {kNoWord, -1, 0, Get::InfoWide, kInfoText1Offset, Set::None, kNoWord},
    /* 23 */ {&S::register19, 19, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 24 */ {&S::register20, 20, 0, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 25 */ {kNoWord, 23, 0, Get::Property25, 0, Set::Property25, kNoWord},
    /* 26 */ {kNoWord, -1, 0, Get::InfoWord, kInfoWord3Offset, Set::None, kNoWord},
    /* 27 */ {kNoWord, -1, 0, Get::InfoNarrow, kInfoText2Offset, Set::None, kNoWord},
    /* 28 */ {kNoWord, -1, 0, Get::InfoWide, kInfoText2Offset, Set::None, kNoWord},
    /* 29 */ {&S::argA, 26, 125, Get::Live, 26, Set::Mirror, kNoWord},
    /* 30 */ {&S::sizeMarker, -1, 1, Get::Stored, 0, Set::SizePreset, kNoWord},
    /* 31 */ {&S::imageWidth, 29, 0, Get::Stored, 0, Set::ImageWidth, &S::sensorMaxWidth},
    /* 32 */ {&S::imageHeight, 30, 0, Get::Stored, 0, Set::SizeLimited, &S::sensorMaxHeight},
    /* 33 */ {&S::areaWidth, 27, 0, Get::Stored, 0, Set::SizeLimited, &S::sensorMaxWidth},
    /* 34 */ {&S::areaHeight, 28, 0, Get::Stored, 0, Set::SizeLimited, &S::sensorMaxHeight},
    /* 35 */ {&S::largestPreset, -1, 0, Get::Stored, 0, Set::None, kNoWord},
    /* 36 */ {&S::sensorMaxWidth, -1, 0, Get::Stored, 0, Set::None, kNoWord},
    /* 37 */ {&S::sensorMaxHeight, -1, 0, Get::Stored, 0, Set::None, kNoWord},
    /* 38 */ {&S::register35, 35, 125, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 39 */ {kNoWord, -1, 0, Get::InfoNarrow, kInfoText3Offset, Set::None, kNoWord},
    /* 40 */ {kNoWord, -1, 0, Get::InfoWide, kInfoText3Offset, Set::None, kNoWord},
    /* 41 */ {&S::register36, 36, 125, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 42 */ {&S::register37, 37, 256, Get::Live, 37, Set::GuardedByMode, kNoWord},
    /* 43 */ {kNoWord, -1, 0, Get::InfoWord, kInfoWord1Offset, Set::None, kNoWord},
    /* 44 */ {kNoWord, -1, 0, Get::Live, 8, Set::None, kNoWord},
    /* 45 */ {kNoWord, -1, 0, Get::Live, 16, Set::None, kNoWord},
    /* 46 */ {&S::register2, 2, 1, Get::Stored, 0, Set::Mirror, kNoWord},
    /* 47 */ {&S::scaleFactor, -1, 1, Get::Stored, 0, Set::ScaleFactor, kNoWord},
    /* 48 */ {kNoWord, -1, 0, Get::LastRead, 0, Set::None, kNoWord},
}};

constexpr uint16_t kSizeMarkerSet = 255;
constexpr uint16_t kToneCurveRegister = 13;
constexpr uint16_t kQuantisationRegister = 25;
constexpr std::array<uint16_t, 4> kSelectableFormats = {kFormatBgr24, kFormatRgb565, kFormatGrey8,
                                                        kFormatRaw};

const PropertyRow* RowFor(uint32_t id) {
    return id < kProperties.size() ? &kProperties[id] : nullptr;
}

bool IsRawId(uint32_t id) {
    return id >= kPropRawFirst && id <= kPropRawLast;
}

uint16_t& Word(const PropertyRow& row) {
    return State().settings.*row.word;
}
uint16_t Setting(uint16_t CameraSettings::*word) {
    return State().settings.*word;
}

// Register writes inside a property set report nothing back: the camera answers for itself
// through the live-read ids.
void Mirror(int16_t reg, uint16_t v) {
    WriteRegister(v, static_cast<uint16_t>(reg));
}

int SendToneCurve() {
    const auto& s = State().settings;
    const ToneCurve block = BuildToneCurveBlock(s.toneKnee, s.toneSelector);
    return camera_internal::SendBlock(kToneCurveRegister, block) ? kCameraOk : kCameraFailed;
}

int SendQuantisationTables() {
    const auto block = BuildQuantisationBlock(State().settings.quality);
    return camera_internal::SendBlock(kQuantisationRegister, block) ? kCameraOk : kCameraFailed;
}

bool Streaming() {
    return State().settings.streaming != 0;
}

void WriteImageAndAreaSize() {
    const auto& s = State().settings;
    WriteRegister(s.imageWidth, 29);
    WriteRegister(s.imageHeight, 30);
    WriteRegister(s.areaWidth, 27);
    WriteRegister(s.areaHeight, 28);
}

int SetSizePreset(uint16_t key) {
    if (Streaming())
        return kCameraRefused;
    auto& s = State().settings;
    for (const SizePreset& row : kSizePresets) {
        if (row.width == 0)
            break;
        if (row.key != key || row.width > s.sensorMaxWidth || row.height > s.sensorMaxHeight) {
            continue;
        }
        s.scaleFactor = 1;
        s.imageWidth = s.areaWidth = row.width;
        s.imageHeight = s.areaHeight = row.height;
        WriteImageAndAreaSize();
        return kCameraOk;
    }
    return kCameraOutOfRange;
}

int SetScaleFactor(uint16_t factor) {
    if (Streaming())
        return kCameraRefused;
    auto& s = State().settings;
    if (factor == 0)
        return kCameraOutOfRange;
    const uint32_t areaWidth = uint32_t{s.imageWidth} * factor;
    const uint32_t areaHeight = uint32_t{s.imageHeight} * factor;
    if (areaWidth > s.sensorMaxWidth || areaHeight > s.sensorMaxHeight)
        return kCameraOutOfRange;
    s.areaWidth = static_cast<uint16_t>(areaWidth);
    s.areaHeight = static_cast<uint16_t>(areaHeight);
    s.scaleFactor = factor;
    WriteImageAndAreaSize();
    return kCameraOk;
}

// Ids 31-34. The image width is refused while streaming; the height and the sensor area are
// applied even then and answered with 7. A height change while streaming recomputes the frame
// sizes and drops the frame buffers, so the next read sizes everything for the new height and
// no conversion can run past a buffer sized for the old one.
int SetSize(uint32_t id, const PropertyRow& row, uint16_t v) {
    const bool streaming = Streaming();
    if (row.set == Set::ImageWidth && streaming)
        return kCameraRefused;
    if (v > Setting(row.limit))
        return kCameraOutOfRange;
    Word(row) = v;
    State().settings.sizeMarker = kSizeMarkerSet;
    Mirror(row.reg, v);
    if (!streaming)
        return kCameraOk;
    if (id == kPropImageHeight)
        camera_internal::ResizeStreamingFrames();
    return kCameraRefused;
}

int SetProperty(uint32_t id, uint16_t v) {
    const PropertyRow* row = RowFor(id);
    if (!row)
        return kCameraUnknownProperty;
    auto& state = State();
    switch (row->set) {
        case Set::None:
            return kCameraUnknownProperty;
        case Set::Mirror:
            Word(*row) = v;
            Mirror(row->reg, v);
            return kCameraOk;
        case Set::StoreOnly:
            Word(*row) = v;
            return kCameraOk;
        case Set::WriteOnly:
            Mirror(row->reg, v);
            return kCameraOk;
        case Set::ToneKnee:
        case Set::ToneSelector:
            Word(*row) = std::min<uint16_t>(v, 255);
            return SendToneCurve();
        case Set::Quality:
            Word(*row) = std::min<uint16_t>(v, 100);
            return SendQuantisationTables();
        case Set::Format:
            if (std::find(kSelectableFormats.begin(), kSelectableFormats.end(), v) ==
                kSelectableFormats.end()) {
                return kCameraOutOfRange;
            }
            Word(*row) = v;
            return kCameraOk;
        case Set::Streaming:
            camera_internal::SetStreaming(v);
            return kCameraOk;
        case Set::Property25:
            state.property25 = v;
            Mirror(row->reg, v);
            return kCameraOk;
        case Set::SizePreset:
            return SetSizePreset(v);
        case Set::ImageWidth:
        case Set::SizeLimited:
            return SetSize(id, *row, v);
        case Set::GuardedByMode:
            if (state.settings.modeWord != 0)
                return kCameraRefused;
            Word(*row) = v;
            Mirror(row->reg, v);
            return kCameraOk;
        case Set::ScaleFactor:
            return SetScaleFactor(v);
    }
    return kCameraUnknownProperty;
}

// Word properties land as a little-endian u16 in the first two bytes of the caller's buffer.
int PutWord(uint8_t* out, uint32_t size, uint16_t v) {
    if (size < 2)
        return kCameraBufferTooSmall;
    out[0] = static_cast<uint8_t>(v & 0xFF);
    out[1] = static_cast<uint8_t>(v >> 8);
    return kCameraOk;
}

// Narrow texts are UTF-8; the count includes the terminator. A text that does not fit, or
// that is not well-formed UTF-16, fails the conversion: 1, and the buffer stays zeroed.
int GetNarrowText(const std::u16string& text, uint8_t* out, uint32_t size, uint32_t& returned) {
    std::string narrow;
    if (!Utf16ToUtf8(text, narrow))
        return kCameraFailed;
    const uint32_t needed = static_cast<uint32_t>(narrow.size() + 1);
    if (size == 0) {
        returned = needed;
        return kCameraOk;
    }
    if (size < needed)
        return kCameraFailed;
    std::memcpy(out, narrow.data(), narrow.size());
    out[narrow.size()] = 0;
    returned = needed;
    return kCameraOk;
}

// Wide texts: the whole text and its terminator when the buffer holds them (the count is then
// in characters), otherwise as many bytes as leave the last two zero (the count is the size).
int GetWideText(const std::u16string& text, uint8_t* out, uint32_t size, uint32_t& returned) {
    const uint32_t characters = static_cast<uint32_t>(text.size() + 1);
    if (size == 0) {
        returned = 2 * characters;
        return kCameraOk;
    }
    const size_t copied = size >= 2 * characters ? 2 * text.size() : size < 2 ? 0 : size - 2;
    for (size_t i = 0; i < copied; ++i) {
        const char16_t unit = text[i / 2];
        out[i] = static_cast<uint8_t>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
    }
    returned = size >= 2 * characters ? characters : size;
    return kCameraOk;
}

int GetProperty(uint32_t id, uint8_t* out, uint32_t size, uint32_t& returned) {
    const PropertyRow* row = RowFor(id);
    if (!row || row->get == Get::None)
        return kCameraUnknownProperty;
    // A size of 0 with no buffer is how a caller asks for a text's length.
    if (out == nullptr && size != 0)
        return kCameraFailed;
    if (out)
        std::memset(out, 0, size);
    returned = size;

    const auto& state = State();
    switch (row->get) {
        case Get::None:
            return kCameraUnknownProperty;
        case Get::Stored:
            return PutWord(out, size, Setting(row->word));
        case Get::Live: {
            if (size < 2)
                return kCameraBufferTooSmall;
            uint16_t v = 0;
            // A failed read leaves the zeroed buffer and still answers 0, as the station's
            // pollers expect; the request itself is what a test or a log sees.
            if (ReadRegister(row->getArg, &v) == kCameraOk)
                PutWord(out, size, v);
            return kCameraOk;
        }
        case Get::Property25:
            return PutWord(out, size, state.property25);
        case Get::InfoWord:
            return PutWord(out, size, GetLe16(state.info, row->getArg));
        case Get::InfoNarrow:
            return GetNarrowText(InfoText(state.info, row->getArg), out, size, returned);
        case Get::InfoWide:
            return GetWideText(InfoText(state.info, row->getArg), out, size, returned);
        case Get::LastRead:
            if (size < 4)
                return kCameraBufferTooSmall;
            PutLe32(std::span<uint8_t>(out, size), 0, state.lastReadBytes);
            return kCameraOk;
    }
    return kCameraUnknownProperty;
}

int GetRawRegister(uint32_t id, uint8_t* out, uint32_t size, uint32_t& returned) {
    if (out == nullptr && size != 0)
        return kCameraFailed;
    if (out)
        std::memset(out, 0, size);
    const auto header = ControlRequest::Read(static_cast<uint16_t>(id)).Encode();
    uint32_t delivered = 0;
    if (!camera_internal::OpenDevice()->ControlRequest(IOCTL_CAMERA_REGISTER, header,
                                                       std::span<uint8_t>(out, size), delivered)) {
        return kCameraFailed;
    }
    returned = std::min(delivered, size);
    return kCameraOk;
}

}  // namespace

int GetCameraProperty(uint32_t id, void* buffer, uint32_t size, uint32_t* returned) {
    if (!camera_internal::OpenDevice())
        return kCameraFailed;
    uint32_t count = 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const int result =
        IsRawId(id) ? GetRawRegister(id, out, size, count) : GetProperty(id, out, size, count);
    if (returned && result != kCameraUnknownProperty)
        *returned = count;
    return result;
}

int ReadLiveProperty(uint32_t id, uint16_t* value) {
    if (!camera_internal::OpenDevice())
        return kCameraFailed;
    const PropertyRow* row = IsRawId(id) ? nullptr : RowFor(id);
    if (!row || row->get != Get::Live)
        return kCameraUnknownProperty;
    uint16_t v = 0;
    const int result = ReadRegister(row->getArg, &v);
    if (result == kCameraOk && value)
        *value = v;
    return result;
}

int SetCameraProperty(uint32_t id, uint32_t value, uint32_t length) {
    if (!camera_internal::OpenDevice())
        return kCameraFailed;
    if (IsRawId(id)) {
        if (length > 2)
            return kCameraOutOfRange;
        return WriteRegister(static_cast<uint16_t>(value), static_cast<uint16_t>(id));
    }
    return SetProperty(id, static_cast<uint16_t>(value));
}

int SetCameraPropertyBlock(uint32_t id, std::span<const uint8_t> payload) {
    if (!camera_internal::OpenDevice())
        return kCameraFailed;
    if (!IsRawId(id))
        return kCameraUnknownProperty;
    const uint16_t reg = static_cast<uint16_t>(id);
    if (payload.size() <= 2) {
        const uint16_t v = static_cast<uint16_t>((payload.size() > 0 ? payload[0] : 0) |
                                                 (payload.size() > 1 ? payload[1] << 8 : 0));
        return WriteRegister(v, reg);
    }
    return camera_internal::SendBlock(reg, payload) ? kCameraOk : kCameraFailed;
}

namespace camera_internal {

void FillDefaultSettings(CameraSettings& settings) {
    for (const PropertyRow& row : kProperties) {
        if (row.word)
            settings.*row.word = row.initial;
    }
}

void ProgramCamera() {
    auto& s = State().settings;
    ReadRegister(33, &s.sensorMaxWidth);
    ReadRegister(34, &s.sensorMaxHeight);

    // The largest preset is the last of the leading rows the sensor holds.
    for (const SizePreset& row : kSizePresets) {
        if (row.width == 0 || row.width > s.sensorMaxWidth || row.height > s.sensorMaxHeight) {
            break;
        }
        s.largestPreset = row.key;
    }

    // Failed writes here are ignored: the sequence goes on and the camera keeps what it had.
    WriteRegister(s.modeWord, 1);
    WriteRegister(s.register5, 5);
    WriteRegister(s.register48, 48);
    WriteRegister(s.argB, 4);
    SendQuantisationTables();
    WriteRegister(s.command, 7);
    WriteRegister(s.register9, 9);
    WriteRegister(s.register15, 15);
    SendToneCurve();
    WriteRegister(s.register17, 17);
    WriteRegister(s.register18, 18);
    WriteRegister(s.register19, 19);
    WriteRegister(s.register20, 20);

    // Through the setter, so each takes its own rule (42 is refused while the mode word is 1).
    for (const uint32_t id :
         {kPropArgA, kPropRegister35, kPropRegister36, kPropRegister37, kPropRegister2}) {
        SetProperty(id, Setting(kProperties[id].word));
    }

    WriteRegister(0, 21);
    WriteRegister(0, 46);
}

}  // namespace camera_internal
