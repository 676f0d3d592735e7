// ParseFrame: reads the camera frame's marker segments up to the scan header.
//
// The camera's stream is fixed: start of image, optional application and comment segments,
// the quantisation tables, a baseline frame header with three components and a scan header,
// each segment directly after the one before. Anything else (Huffman tables, restart
// intervals, progressive frames) is not the camera's and fails the parse. Every field is read
// through bounds-checked accessors, so a short or lying frame can never make us read past its
// end.
#include <cstddef>

#include "decoder/FrameDecoderState.h"
#include "decoder/HuffmanTables.h"

namespace {

using decoder::kMacroblockBytes;

constexpr uint8_t kMarkerStartOfImage = 0xD8;
constexpr uint8_t kMarkerBaselineFrame = 0xC0;
constexpr uint8_t kMarkerScan = 0xDA;
constexpr uint8_t kMarkerQuantisation = 0xDB;
constexpr uint8_t kMarkerApplication0 = 0xE0;
constexpr uint8_t kMarkerApplication1 = 0xE1;
constexpr uint8_t kMarkerComment = 0xFE;

// The frame header the camera sends: length 17, 8-bit samples, three components sampled
// 2x1, 1x1, 1x1 horizontally. The macroblock layout (two luminance blocks, one of each chroma)
// depends on those sampling factors.
constexpr size_t kFrameHeaderLength = 17;
constexpr int kComponents = 3;
constexpr int kHorizontalSampling[kComponents] = {2, 1, 1};

// A scan header of the camera: three components, identifiers 1-3, the luminance tables for the
// first and the chrominance tables for the other two.
constexpr size_t kScanHeaderLength = 12;
constexpr uint8_t kScanComponentIds[kComponents] = {0x01, 0x02, 0x03};
constexpr uint8_t kScanTableBytes[kComponents] = {0x00, 0x11, 0x11};

class ByteView {
  public:
    explicit ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Has(size_t position, size_t count) const {
        return position <= bytes_.size() && count <= bytes_.size() - position;
    }
    uint8_t At(size_t position) const { return bytes_[position]; }
    uint16_t Word(size_t position) const {
        return static_cast<uint16_t>((bytes_[position] << 8) | bytes_[position + 1]);
    }
    size_t size() const { return bytes_.size(); }

  private:
    std::span<const uint8_t> bytes_;
};

// Takes the frame header at `position` (its length field) into the decoder only when all of it
// is the camera's form; a header that fails any check leaves the previous state untouched.
void ReadFrameHeader(FrameDecoder& decoder, const ByteView& bytes, size_t position) {
    if (!bytes.Has(position, kFrameHeaderLength))
        return;
    if (bytes.Word(position) != kFrameHeaderLength)
        return;
    if (bytes.At(position + 2) != 8)
        return;
    if (bytes.At(position + 7) != kComponents)
        return;
    std::array<decoder::ComponentRecord, kComponents> components = decoder.components;
    for (int c = 0; c < kComponents; ++c) {
        const size_t record = position + 8 + 3 * c;
        const int sampling = bytes.At(record + 1) >> 4;
        const int table = bytes.At(record + 2);
        if (sampling != kHorizontalSampling[c] || table > 3)
            return;
        components[c].horizontalSampling = sampling;
        components[c].quantisationTable = table;
    }
    const int height = bytes.Word(position + 3);
    const int width = bytes.Word(position + 5);
    decoder.height = height;
    decoder.width = width;
    // The output geometry follows the header at once, so that a decode after a parse that
    // failed further on still checks and writes the picture this header describes.
    const size_t bitsPerPixel = static_cast<size_t>(decoder.bitsPerPixel);
    decoder.outputStride = bitsPerPixel * static_cast<size_t>(width) / 8;
    decoder.outputSize = decoder.outputStride * static_cast<size_t>(height);
    decoder.componentCount = kComponents;
    decoder.components = components;
    // (width x 2 / 8) / (2 + 1 + 1): one macroblock per 16 pixels, a partial one is not decoded.
    decoder.macroblocksPerRow = (decoder.width * 2 / 8) / decoder::kBlocksPerMacroblock;
}

// Records the scan header at `position`; its fields are checked in order and taken up to the
// first that is not the camera's.
void ReadScanHeader(FrameDecoder& decoder, const ByteView& bytes, size_t position) {
    decoder.scanHeaderPosition = position;
    if (!bytes.Has(position, kScanHeaderLength))
        return;
    if (bytes.Word(position) != kScanHeaderLength)
        return;
    decoder.entropyDataStart = position + kScanHeaderLength;
    if (bytes.At(position + 2) != decoder.componentCount)
        return;
    for (int c = 0; c < kComponents; ++c) {
        const size_t record = position + 3 + 2 * c;
        if (bytes.At(record) != kScanComponentIds[c])
            return;
        if (bytes.At(record + 1) != kScanTableBytes[c])
            return;
        decoder.components[c].tableSelector = c == 0 ? 0 : 1;
    }
}

// Quantisation tables: a precision/number byte, then 64 entries in zigzag order, one byte each
// for 8-bit tables and two (big-endian) for 16-bit ones. A table cut short by the end of the
// segment or of the frame is not taken.
void ReadQuantisationTables(FrameDecoder& decoder, const ByteView& bytes, size_t position) {
    if (!bytes.Has(position, 2))
        return;
    const size_t segmentEnd = position + bytes.Word(position);
    size_t offset = position + 2;
    while (offset < segmentEnd) {
        if (!bytes.Has(offset, 1))
            return;
        const uint8_t header = bytes.At(offset);
        const bool wide = (header >> 4) != 0;
        const size_t entryBytes = wide ? 2 : 1;
        const size_t tableBytes = 1 + 64 * entryBytes;
        if (offset + tableBytes > segmentEnd || !bytes.Has(offset, tableBytes))
            return;
        auto& table = decoder.quantisationTables[header & 3];
        for (int k = 0; k < 64; ++k) {
            const size_t at = offset + 1 + k * entryBytes;
            table[decoder::kZigzagToNatural[k]] = wide ? bytes.Word(at) : bytes.At(at);
        }
        offset += tableBytes;
    }
}

// Makes sure the macroblock row buffer holds a row of the current width. A larger buffer is
// kept, so a camera that alternates sizes does not allocate on every frame.
bool EnsureRowBuffer(FrameDecoder& decoder) {
    const size_t needed = static_cast<size_t>(decoder.macroblocksPerRow) * kMacroblockBytes;
    if (decoder.rowBuffer != nullptr && decoder.rowBufferSize >= needed)
        return true;
    decoder.rowBuffer.reset();
    decoder.rowBufferSize = 0;
    decoder.rowBuffer.reset(new (std::nothrow) uint8_t[needed == 0 ? 1 : needed]());
    if (decoder.rowBuffer == nullptr)
        return false;
    decoder.rowBufferSize = needed;
    return true;
}

}  // namespace

int ParseFrame(FrameDecoder* decoder, std::span<const uint8_t> frame, int* width, int* height) {
    if (decoder == nullptr)
        return 1;
    decoder->frame = frame;
    decoder->scanHeaderPosition = 0;
    const ByteView bytes(frame);

    if (!bytes.Has(0, 4) || bytes.At(0) != 0xFF || bytes.At(1) != kMarkerStartOfImage)
        return 1;
    size_t markerAt = 2;
    for (;;) {
        if (bytes.At(markerAt) != 0xFF)
            return 1;
        const uint8_t marker = bytes.At(markerAt + 1);
        const size_t position = markerAt + 2;  // the segment's length field
        if (!bytes.Has(position, 2))
            return 1;
        switch (marker) {
            case kMarkerBaselineFrame:
                ReadFrameHeader(*decoder, bytes, position);
                break;
            case kMarkerScan:
                ReadScanHeader(*decoder, bytes, position);
                break;
            case kMarkerQuantisation:
                ReadQuantisationTables(*decoder, bytes, position);
                break;
            case kMarkerApplication0:
            case kMarkerApplication1:
            case kMarkerComment:
                break;
            default:
                return 1;
        }
        if (decoder->scanHeaderPosition != 0)
            break;
        const size_t next = position + bytes.Word(position);
        // The next marker must lie wholly inside the frame, with its length field.
        if (!bytes.Has(next, 4))
            return 1;
        markerAt = next;
    }

    if (!EnsureRowBuffer(*decoder))
        return 1;
    if (width != nullptr)
        *width = decoder->width;
    if (height != nullptr)
        *height = decoder->height;
    return 0;
}
