// A scripted camera driver for tests: a DriverTransport that keeps a 512-word register file
// and an information reply, answers register reads from them, accepts block writes, hands out
// queued frames, can be told to fail requests, and records every request with the virtual
// time it was sent at.
//
// The record reads like the behaviour, so a test compares whole sequences:
//     EXPECT_THAT(driver.Transcript(), ElementsAre("read reg 33 @ 0 ms",
//                                                  "write reg 7 = 137 @ 50 ms"));
// A request that is not one of the three well-formed shapes (read, write, block write) is
// recorded byte for byte ("request 00 00 61 00 ... in 8 out 4"), so a wrong byte shows up.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/ControlRequest.h"
#include "device/DriverTransport.h"

namespace zelvo_test {

struct RecordedRequest {
    enum class Kind { Enumerate, Open, Info, Read, Write, Block, Malformed, Frame, Close };
    Kind kind = Kind::Malformed;
    int64_t timeUs = 0;
    uint32_t code = 0;
    ControlRequest header;         // Read, Write, Block, Malformed (when 8 bytes arrived)
    std::vector<uint8_t> input;    // the whole input block as sent
    std::vector<uint8_t> payload;  // block writes: the bytes after the header
    uint32_t outputLength = 0;     // bytes of room the caller gave (also frame reads)
    uint32_t delivered = 0;        // frame reads: bytes handed over
    std::u16string path;           // Open
    bool failed = false;           // the driver answered with failure

    // "write reg 7 = 137 @ 50 ms", "read reg 33 @ 0 ms", "block reg 25 [256] @ 0 ms",
    // "frame 921600 -> 1000 @ 25 ms", "info @ 0 ms", "open @ 0 ms", "close @ 0 ms";
    // " failed" is appended before the time when the driver failed the request.
    std::string ToString() const;
};

class RecordingDriver : public DriverTransport {
  public:
    RecordingDriver();

    // --- what the camera holds -----------------------------------------------------------
    std::array<uint16_t, 512> registers{};
    DeviceInfoReply info{};
    // Last block written to each register, payload only.
    std::map<uint16_t, std::vector<uint8_t>> blocks;
    // Frames handed out by ReadFrame in order; an empty queue fails the read unless
    // `frameSource` makes one.
    std::deque<std::vector<uint8_t>> frames;
    std::function<std::vector<uint8_t>()> frameSource;
    // Called after each accepted register write (and block write, with the payload), so a
    // test can script the camera's answer: "after command 137 on register 7, register 4
    // reads 175".
    std::function<void(RecordingDriver&, uint16_t reg, uint16_t value)> onWrite;

    // --- presence and failures -----------------------------------------------------------
    bool present = true;     // EnumerateFirstDevice finds a device
    bool openFails = false;  // Open refuses
    std::u16string devicePath = u"/dev/zelvocam0";
    void FailNextRequests(int count) { failNext_ = count; }  // control requests and reads
    void FailEveryRequest(bool fail) { failAll_ = fail; }
    // The cable pulled: the device is gone, every request and read of the open device fails
    // and nothing is found. Replug makes it findable again; the device opened before stays gone
    // until it is closed.
    void Unplug();
    void Replug() { present = true; }
    bool DeviceGone() override { return gone_; }

    // --- the record ----------------------------------------------------------------------
    const std::vector<RecordedRequest>& Requests() const { return log_; }
    // With `registersOnly`, only register reads, writes and block writes (no lifecycle, info or
    // frames).
    std::vector<std::string> Transcript(bool registersOnly = false) const;
    std::vector<std::string> RegisterTranscript() const { return Transcript(true); }
    void ClearRecord() { log_.clear(); }
    bool IsOpen() const { return open_; }

    // Sets the information reply fields used by the text and word properties.
    void SetInfo(uint16_t word1, uint16_t word2, uint16_t word3, std::u16string_view text1,
                 std::u16string_view text2, std::u16string_view text3);

    // --- DriverTransport -----------------------------------------------------------------
    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;

  private:
    bool ConsumeFailure();
    RecordedRequest& Record(RecordedRequest::Kind kind);

    std::vector<RecordedRequest> log_;
    int failNext_ = 0;
    bool failAll_ = false;
    bool open_ = false;
    bool gone_ = false;
};

// Fills `driver` with a sensor of the given maximum size (registers 33 and 34).
void SetSensorSize(RecordingDriver& driver, uint16_t width, uint16_t height);

}  // namespace zelvo_test
