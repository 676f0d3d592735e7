// Streaming on and off, and ReadCameraFrame: one frame from the driver into the caller's
// buffer in the output format of property 13.
//
// Formats 11 (and 7 without host decoding) hand the driver's bytes over as they come, up to
// the caller's size; format 19 likewise up to the read size. Every other format goes through
// the work buffer of 2-byte pixels: a compressed frame is read into a buffer of its own and
// decoded into it (host decoding on), or the camera's own 2-byte pixels are read straight into
// it, and the converter for the format writes the caller's picture bottom row first.
//
// Both buffers are allocated by the first read after streaming was switched on, at the sizes
// computed then, and reused by every later read; switching streaming off frees them.
//
// A frame cut short is still converted, so the live picture keeps going (the decoder pads the
// missing data with zero bits, the camera's own pixels leave the rest of the work buffer as it
// was); LastFrameWasWhole tells the caller that needs the whole picture.
//
// Safety rules of this layer: a frame whose declared size exceeds the image size the buffers
// were sized for is rejected (1, caller's buffer untouched); a caller's buffer smaller than
// the picture of the current format is refused with 8 before anything is read; and a height
// change while streaming recomputes the sizes and drops the buffers (see the property setter),
// so a conversion never runs past a buffer sized for another picture.
#include <algorithm>
#include <cstring>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "device/Camera.h"
#include "device/CameraInternal.h"

using camera_internal::OpenDevice;
using camera_internal::State;

namespace {

constexpr uint16_t kStreamRegister = 6;
constexpr uint16_t kCompressionRegister = 10;
constexpr uint16_t kCompressionOn = 16;

bool ArrivesAsThreeBytesPerPixel(const CameraSettings& s) {
    return s.outputFormat == kFormatRaw || s.outputFormat == kFormatRawFull || s.hostDecoding == 1;
}

// Bytes a converter writes for one picture of the current settings; 0 for formats that
// write nothing.
uint64_t ConvertedPictureBytes(const CameraSettings& s, uint64_t outputFrameSize) {
    const uint64_t pixels = uint64_t{s.imageWidth} * s.imageHeight;
    switch (s.outputFormat) {
        case kFormatBgr24:
            return pixels * 3;
        case kFormatRgb565:
            return pixels * 2;
        case kFormatGrey8:
            return pixels;
        case kFormatYuyv:
            return outputFrameSize;
        default:
            return 0;
    }
}

void ComputeFrameSizes(CameraState& state) {
    const CameraSettings& s = state.settings;
    const uint64_t pixels = uint64_t{s.imageWidth} * s.imageHeight;
    state.readSize = pixels * (ArrivesAsThreeBytesPerPixel(s) ? 3 : 2);
    switch (s.outputFormat) {
        case kFormatBgr24:
            state.outputFrameSize = pixels * 3;
            break;
        case kFormatRgb565:
        case kFormatYuyv:
            state.outputFrameSize = pixels * 2;
            break;
        case kFormatGrey8:
            state.outputFrameSize = pixels;
            break;
        case kFormatRaw:
        case kFormatRawFull:
            state.outputFrameSize = 0;
            break;
        default:
            break;  // a format the reader does not convert keeps the size it had
    }
    state.workSize = pixels * 2;
}

// Makes `buffer` exactly `bytes` long, keeping it when it already is.
bool EnsureBuffer(FrameBuffer& buffer, uint64_t bytes) {
    if (buffer.data && buffer.size == bytes)
        return true;
    if (bytes > SIZE_MAX)
        return false;
    return buffer.Allocate(static_cast<size_t>(bytes));
}

bool ReadFromDriver(std::span<uint8_t> into, uint32_t& delivered) {
    delivered = 0;
    if (!OpenDevice()->ReadFrame(into, delivered))
        return false;
    // A driver that claims more than it was given room for is not believed.
    delivered = static_cast<uint32_t>(std::min<size_t>(delivered, into.size()));
    return true;
}

// `whole`: the bytes the picture needs, 0 when they are not known (the caller's size is only
// a limit).
int ReadPassThrough(std::span<uint8_t> into, uint32_t* returned, uint64_t whole) {
    uint32_t delivered = 0;
    if (!ReadFromDriver(into, delivered))
        return kCameraFailed;
    State().lastReadBytes = delivered;
    State().lastFrameWhole = delivered >= whole;
    if (returned)
        *returned = delivered;
    return kCameraOk;
}

// Reads one compressed frame and decodes it into the work buffer.
int ReadCompressed(CameraState& state, uint32_t& delivered) {
    if (!EnsureBuffer(state.frameBuffer, state.readSize))
        return kCameraFailed;
    if (!ReadFromDriver(state.frameBuffer.Span(), delivered))
        return kCameraFailed;
    const std::span<const uint8_t> frame(state.frameBuffer.data.get(), delivered);
    int width = 0, height = 0;
    // A frame whose headers do not parse is still decoded with the header state the decoder
    // already holds; one that declares a larger picture than the image size is refused.
    if (ParseFrame(state.decoder, frame, &width, &height) == 0 &&
        (width > state.settings.imageWidth || height > state.settings.imageHeight)) {
        return kCameraFailed;
    }
    if (DecodeFrame(state.decoder, state.workBuffer.Span()) != 0)
        return kCameraFailed;
    state.lastFrameWhole = !LastDecodeRanOut(state.decoder);
    return kCameraOk;
}

}  // namespace

namespace camera_internal {

void SetStreaming(uint16_t on) {
    CameraState& state = State();
    state.settings.streaming = on;
    if (on == 0) {
        WriteRegister(0, kStreamRegister);
        state.workBuffer.Free();
        state.frameBuffer.Free();
        return;
    }
    // Frames come compressed (decoded here, three bytes per pixel at most) or as the camera's
    // own two-byte pixels; the camera is told which before the stream starts.
    WriteRegister(ArrivesAsThreeBytesPerPixel(state.settings) ? kCompressionOn : 0,
                  kCompressionRegister);
    WriteRegister(1, kStreamRegister);
    ComputeFrameSizes(state);
}

void ResizeStreamingFrames() {
    CameraState& state = State();
    ComputeFrameSizes(state);
    state.workBuffer.Free();
    state.frameBuffer.Free();
}

}  // namespace camera_internal

int ReadCameraFrame(std::span<uint8_t> buffer, uint32_t* returned) {
    if (!OpenDevice())
        return kCameraFailed;
    CameraState& state = State();
    const CameraSettings& s = state.settings;
    state.lastFrameWhole = false;

    if (s.outputFormat == kFormatRaw || (s.outputFormat == kFormatYuyv && s.hostDecoding == 0)) {
        return ReadPassThrough(buffer, returned, 0);
    }
    if (s.outputFormat == kFormatRawFull) {
        if (buffer.size() < state.readSize)
            return kCameraBufferTooSmall;
        return ReadPassThrough(buffer.first(static_cast<size_t>(state.readSize)), nullptr,
                               state.readSize);
    }

    const uint64_t picture = ConvertedPictureBytes(s, state.outputFrameSize);
    if (buffer.size() < picture)
        return kCameraBufferTooSmall;
    if (!EnsureBuffer(state.workBuffer, state.workSize))
        return kCameraFailed;
    // The work buffer was sized when streaming started; a picture of another size since then
    // (changed while streaming was off) cannot be converted from it.
    if (state.workBuffer.size < uint64_t{s.imageWidth} * s.imageHeight * 2)
        return kCameraFailed;

    uint32_t delivered = 0;
    if (s.hostDecoding == 1) {
        if (ReadCompressed(state, delivered) != kCameraOk)
            return kCameraFailed;
    } else {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(state.readSize, state.workSize));
        if (!ReadFromDriver(state.workBuffer.Span().first(want), delivered))
            return kCameraFailed;
        state.lastFrameWhole = delivered >= want;
    }

    const std::span<const uint8_t> work = state.workBuffer.Span();
    switch (s.outputFormat) {
        case kFormatBgr24:
            ConvertYuyvToBgr24(buffer, s.imageWidth, s.imageHeight, work);
            break;
        case kFormatRgb565:
            ConvertYuyvToRgb565(buffer, s.imageWidth, s.imageHeight, work);
            break;
        case kFormatGrey8:
            ConvertYuyvToGrey8(buffer, s.imageWidth, s.imageHeight, work);
            break;
        case kFormatYuyv:
            std::memcpy(buffer.data(), work.data(),
                        static_cast<size_t>(std::min<uint64_t>(picture, work.size())));
            break;
        default:
            break;  // a format without a converter writes nothing
    }
    if (returned)
        *returned = static_cast<uint32_t>(state.outputFrameSize);
    state.lastReadBytes = delivered;
    return kCameraOk;
}

bool LastFrameWasWhole() {
    return OpenDevice() != nullptr && State().lastFrameWhole;
}
