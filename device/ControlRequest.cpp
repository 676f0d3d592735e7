// Byte-exact encoding of the register request header and the information reply's texts.
#include "device/ControlRequest.h"

#include <algorithm>

std::array<uint8_t, kControlRequestSize> ControlRequest::Encode() const {
    std::array<uint8_t, kControlRequestSize> bytes{};
    PutLe16(bytes, 0, direction);
    PutLe16(bytes, 2, request);
    PutLe16(bytes, 4, value);
    PutLe16(bytes, 6, index);
    return bytes;
}

bool ControlRequest::Decode(std::span<const uint8_t> bytes, ControlRequest& out) {
    if (bytes.size() < kControlRequestSize)
        return false;
    out = {GetLe16(bytes, 0), GetLe16(bytes, 2), GetLe16(bytes, 4), GetLe16(bytes, 6)};
    return true;
}

std::vector<uint8_t> EncodeBlockWrite(uint16_t reg, std::span<const uint8_t> payload) {
    std::vector<uint8_t> block(kControlRequestSize + payload.size());
    const auto header = ControlRequest::Block(reg).Encode();
    std::copy(header.begin(), header.end(), block.begin());
    std::copy(payload.begin(), payload.end(), block.begin() + kControlRequestSize);
    return block;
}

std::u16string InfoText(const DeviceInfoReply& reply, size_t offset) {
    std::u16string text;
    const std::span<const uint8_t> field(reply.data() + offset, kInfoTextBytes);
    for (size_t i = 0; i < kInfoTextUnits; ++i) {
        const char16_t unit = static_cast<char16_t>(GetLe16(field, 2 * i));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

void PutInfoText(DeviceInfoReply& reply, size_t offset, std::u16string_view text) {
    const std::span<uint8_t> field(reply.data() + offset, kInfoTextBytes);
    std::fill(field.begin(), field.end(), 0);
    const size_t units = std::min(text.size(), kInfoTextUnits - 1);
    for (size_t i = 0; i < units; ++i)
        PutLe16(field, 2 * i, static_cast<uint16_t>(text[i]));
}
