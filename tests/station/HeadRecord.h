// A station started on a scripted camera, whose head traffic a test reads from a moment on, in
// the station's words and with times counted from that moment: "command 161 @ 0 ms",
// "A = 4000 @ 200 ms", "read B @ 250 ms".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "tests/station/StationFixture.h"

namespace station_test {

using Lines = std::vector<std::string>;

class ScriptedStation : public StationFixture {
  protected:
    // Starts the station on a camera reporting `model`, every setting at its default, and
    // marks the moment the record starts.
    CTRIPOD01Dlg& StartOn(uint16_t model) {
        script_.model = model;
        EXPECT_TRUE(Start());
        Mark();
        return Dialog();
    }

    void Mark() {
        firstRequest_ = driver_.Requests().size();
        startUs_ = sys::NowUs();
    }

    Lines Record() const { return zelvo_test::HeadLinesSince(driver_, firstRequest_, startUs_); }

    // The head answers the pan/tilt report 156 with these readings.
    void AnswerPanTilt(uint16_t pan, uint16_t tilt) {
        auto answer = driver_.onWrite;
        driver_.onWrite = [answer, pan, tilt](zelvo_test::RecordingDriver& d, uint16_t reg,
                                              uint16_t value) {
            answer(d, reg, value);
            if (reg == kCommandRegister && value == 156) {
                d.registers[kArgARegister] = pan;
                d.registers[kArgBRegister] = tilt;
            }
        };
    }

  private:
    size_t firstRequest_ = 0;
    int64_t startUs_ = 0;
};

}  // namespace station_test
