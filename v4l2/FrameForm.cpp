// Checking a camera frame against the station's form, segment by segment (see FrameForm.h).
#include "v4l2/FrameForm.h"

#include <algorithm>
#include <cstring>

#include "decoder/HuffmanTables.h"

namespace v4l2 {
namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kBaselineFrame = 0xC0;
constexpr uint8_t kHuffmanTables = 0xC4;
constexpr uint8_t kScan = 0xDA;
constexpr uint8_t kQuantisation = 0xDB;
constexpr uint8_t kApplication0 = 0xE0;
constexpr uint8_t kApplication1 = 0xE1;
constexpr uint8_t kApplication15 = 0xEF;
constexpr uint8_t kComment = 0xFE;

constexpr size_t kFrameHeaderLength = 17;
constexpr size_t kScanHeaderLength = 12;
constexpr uint8_t kSampling[3] = {0x21, 0x11, 0x11};
constexpr uint8_t kScanIds[3] = {1, 2, 3};
constexpr uint8_t kScanTables[3] = {0x00, 0x11, 0x11};

uint16_t Word(std::span<const uint8_t> f, size_t at) {
    return static_cast<uint16_t>(f[at] << 8 | f[at + 1]);
}

// The standard table for a Huffman table's class (0 DC, 1 AC) and number (0 luminance, 1
// chrominance), which the decoder assumes.
const decoder::HuffmanDefinition* StandardTable(uint8_t classAndNumber) {
    switch (classAndNumber) {
        case 0x00:
            return &decoder::kLuminanceDcDefinition;
        case 0x01:
            return &decoder::kChrominanceDcDefinition;
        case 0x10:
            return &decoder::kLuminanceAcDefinition;
        case 0x11:
            return &decoder::kChrominanceAcDefinition;
        default:
            return nullptr;
    }
}

// True when every table of the segment body [at, end) is the standard one for its slot.
bool OnlyStandardHuffmanTables(std::span<const uint8_t> f, size_t at, size_t end) {
    while (at < end) {
        if (end - at < 17)
            return false;
        const decoder::HuffmanDefinition* standard = StandardTable(f[at]);
        if (standard == nullptr)
            return false;
        size_t symbols = 0;
        for (size_t i = 0; i < 16; ++i)
            symbols += f[at + 1 + i];
        if (!std::equal(standard->counts.begin(), standard->counts.end(), f.begin() + at + 1) ||
            symbols != standard->symbols.size() || end - at - 17 < symbols ||
            !std::equal(standard->symbols.begin(), standard->symbols.end(), f.begin() + at + 17)) {
            return false;
        }
        at += 17 + symbols;
    }
    return true;
}

// Marks the 8-bit or 16-bit tables of a quantisation segment body [at, end) as present.
bool ReadQuantisation(std::span<const uint8_t> f, size_t at, size_t end, unsigned& present) {
    while (at < end) {
        const size_t tableBytes = 1 + 64 * ((f[at] >> 4) != 0 ? 2 : 1);
        if ((f[at] >> 4) > 1 || (f[at] & 0x0C) != 0 || end - at < tableBytes)
            return false;
        present |= 1u << (f[at] & 3);
        at += tableBytes;
    }
    return true;
}

class Planner {
  public:
    explicit Planner(PassThroughPlan& plan) : plan_(plan) { plan_ = {}; }
    bool Keep(size_t begin, size_t end) {
        if (plan_.count > 0 && plan_.ranges[plan_.count - 1].end == begin) {
            plan_.ranges[plan_.count - 1].end = end;
        } else {
            if (plan_.count == PassThroughPlan::kMaxRanges)
                return false;
            plan_.ranges[plan_.count++] = {begin, end};
        }
        plan_.bytes += end - begin;
        return true;
    }

  private:
    PassThroughPlan& plan_;
};

}  // namespace

bool PlanPassThrough(std::span<const uint8_t> f, int width, int height, PassThroughPlan& plan) {
    Planner keep(plan);
    if (f.size() < 4 || f[0] != 0xFF || f[1] != kStartOfImage || !keep.Keep(0, 2))
        return false;
    unsigned tablesPresent = 0;
    unsigned tablesUsed = 0;
    bool haveFrame = false;
    size_t at = 2;
    for (;;) {
        // Segments follow one another directly: marker, then a length that counts itself.
        if (f.size() - at < 4 || f[at] != 0xFF)
            return false;
        const uint8_t marker = f[at + 1];
        const size_t length = Word(f, at + 2);
        if (length < 2 || f.size() - at - 2 < length)
            return false;
        const size_t body = at + 4;
        const size_t end = at + 2 + length;
        bool kept = true;
        switch (marker) {
            case kQuantisation:
                if (!ReadQuantisation(f, body, end, tablesPresent))
                    return false;
                break;
            case kBaselineFrame:
                if (haveFrame || length != kFrameHeaderLength || f[body] != 8 ||
                    Word(f, body + 1) != height || Word(f, body + 3) != width || f[body + 5] != 3)
                    return false;
                for (size_t c = 0; c < 3; ++c) {
                    const size_t record = body + 6 + 3 * c;
                    if (f[record + 1] != kSampling[c] || f[record + 2] > 3)
                        return false;
                    tablesUsed |= 1u << f[record + 2];
                }
                haveFrame = true;
                break;
            case kHuffmanTables:
                if (!OnlyStandardHuffmanTables(f, body, end))
                    return false;
                kept = false;  // the decoder knows them; it refuses the segment
                break;
            case kApplication0:
            case kApplication1:
            case kComment:
                break;
            case kScan:
                if (!haveFrame || length != kScanHeaderLength || f[body] != 3 ||
                    (tablesUsed & ~tablesPresent) != 0)
                    return false;
                for (size_t c = 0; c < 3; ++c) {
                    if (f[body + 1 + 2 * c] != kScanIds[c] || f[body + 2 + 2 * c] != kScanTables[c])
                        return false;
                }
                // Spectral selection 0-63 and no successive approximation: sequential.
                if (f[body + 7] != 0 || f[body + 8] != 63 || f[body + 9] != 0)
                    return false;
                return keep.Keep(at, f.size());
            default:
                if (marker > kApplication1 && marker <= kApplication15) {
                    kept = false;  // other application data: nothing the picture needs
                    break;
                }
                return false;
        }
        if (kept && !keep.Keep(at, end))
            return false;
        at = end;
    }
}

size_t CopyPassThrough(std::span<const uint8_t> frame, const PassThroughPlan& plan,
                       std::span<uint8_t> out) {
    if (plan.bytes > out.size())
        return 0;
    uint8_t* to = out.data();
    for (size_t i = 0; i < plan.count; ++i) {
        const PassThroughPlan::Range& r = plan.ranges[i];
        std::memcpy(to, frame.data() + r.begin, r.end - r.begin);
        to += r.end - r.begin;
    }
    return plan.bytes;
}

}  // namespace v4l2
