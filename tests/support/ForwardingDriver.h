// A driver that passes every operation on to another one: a test derives from it and overrides
// just the operation it wants to watch (what the settings held at the device's close, say).
#pragma once

#include "device/DriverTransport.h"

namespace zelvo_test {

class ForwardingDriver : public DriverTransport {
  public:
    explicit ForwardingDriver(DriverTransport& inner) : inner_(inner) {}

    bool EnumerateFirstDevice(std::u16string& path) override {
        return inner_.EnumerateFirstDevice(path);
    }
    bool Open(const std::u16string& path) override { return inner_.Open(path); }
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override {
        return inner_.ControlRequest(code, in, out, returned);
    }
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override {
        return inner_.ReadFrame(buffer, delivered);
    }
    void Close() override { inner_.Close(); }

  private:
    DriverTransport& inner_;
};

}  // namespace zelvo_test
