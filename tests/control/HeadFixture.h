// An open camera on the recording driver whose head answers chosen commands, and its traffic in
// the station's words with times from the moment the camera opened: the fixture of the camera
// control tests, which need no QApplication.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "device/Camera.h"
#include "platform/system/Clock.h"
#include "tests/support/HeadWords.h"

namespace control_test {

using Lines = std::vector<std::string>;
using zelvo_test::kArgARegister;
using zelvo_test::kArgBRegister;
using zelvo_test::kCommandRegister;

// An open camera whose head answers command `command` with `value` in argument A or B.
class HeadFixture : public testing::Test {
  protected:
    HeadFixture() : scope_(clock_) {
        zelvo_test::SetSensorSize(driver_, 640, 480);
        driver_.onWrite = [this](zelvo_test::RecordingDriver& d, uint16_t reg, uint16_t value) {
            if (reg != kCommandRegister)
                return;
            ++sent_[value];
            for (const Reply& answer : answers_) {
                if (answer.command == value && sent_[value] >= answer.fromTry)
                    d.registers[answer.inB ? kArgBRegister : kArgARegister] = answer.value;
            }
        };
        InstallDriverTransport(&driver_);
        EXPECT_EQ(OpenCamera(), kCameraOk);
        first_ = driver_.Requests().size();
        startUs_ = clock_.NowUs();
    }
    ~HeadFixture() override {
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    void Answer(uint16_t command, uint16_t value, bool inB = false, int fromTry = 1) {
        answers_.push_back({command, value, inB, fromTry});
    }
    Lines Record() const { return zelvo_test::HeadLinesSince(driver_, first_, startUs_); }
    int Sent(uint16_t command) { return sent_[command]; }
    int64_t ElapsedMs() { return (clock_.NowUs() - startUs_) / 1000; }

    struct Reply {
        uint16_t command, value;
        bool inB;
        int fromTry;
    };
    sys::VirtualClock clock_;
    sys::ScopedClock scope_;
    zelvo_test::RecordingDriver driver_;
    std::vector<Reply> answers_;
    std::map<uint16_t, int> sent_;
    size_t first_ = 0;
    int64_t startUs_ = 0;
};

}  // namespace control_test
