// The head's command set: which actuator each code drives with which arguments, what the model
// allows, and the answers with their delay.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "head/CommandInterpreter.h"
#include "tests/support/RowName.h"

namespace {

using head::AxisId;
using head::Tier;

// Actuators that write down every call as one line.
class RecordingActuators : public head::HeadActuators {
  public:
    std::vector<std::string> calls;

    void Run(AxisId axis, int direction, Tier tier, int64_t) override {
        Add(("run " + Name(axis, direction)).c_str(), static_cast<int>(tier));
    }
    void StopPanTilt(int64_t) override { Add("stop pan tilt"); }
    void StopZoom(int64_t) override { Add("stop zoom"); }
    void Nudge(AxisId axis, int direction, int64_t) override {
        Add(("nudge " + Name(axis, direction)).c_str());
    }
    void DrivePanTilt(int pan, int tilt, int64_t) override { Add("drive", pan, tilt); }
    void DriveZoom(int zoom, int64_t) override { Add("drive zoom", zoom); }
    void MoveRelative(int pan, int tilt, int64_t) override { Add("move by", pan, tilt); }
    int Position(AxisId axis, int64_t) override {
        return axis == AxisId::kPan ? -1234 : axis == AxisId::kTilt ? 321 : 14000;
    }
    void StepExposure(int steps) override { Add("exposure", steps); }
    void SetBrightness(int v) override { Add("brightness", v); }
    void SetContrast(int v) override { Add("contrast", v); }
    void SetSharpness(int v) override { Add("sharpness", v); }
    void SetColourLevel(int v) override { Add("colour level", v); }
    void SetAutoWhiteBalance(bool on) override { Add("auto white", on); }
    void SetRedGain(int v) override { Add("red", v); }
    void SetBlueGain(int v) override { Add("blue", v); }
    int RedGain() override { return 171; }
    int BlueGain() override { return 206; }
    void SetAutoFocus(bool on) override { Add("auto focus", on); }
    void SetFlashLevel(int v) override { Add("flash level", v); }
    void ArmFlash(int64_t us) override { Add("arm flash", static_cast<int>(us)); }
    void DisarmFlash() override { Add("disarm flash"); }

  private:
    static std::string Name(AxisId a, int direction) {
        static const char* const kNames[] = {"pan", "tilt", "zoom"};
        return kNames[static_cast<int>(a)] + std::string(direction > 0 ? "+" : "-");
    }
    template <typename... Values>
    void Add(const char* what, Values... values) {
        std::string line = what;
        ((line += " " + std::to_string(values)), ...);
        calls.push_back(line);
    }
};

struct Head {
    explicit Head(uint16_t model, bool silent = false) : interpreter(model, silent, regs, act) {}
    // The host's way: arguments first, then the code.
    void Send(uint16_t code, uint16_t a, uint16_t b, int64_t us = 0) {
        regs[head::kRegArgA] = a;
        regs[head::kRegArgB] = b;
        interpreter.Command(code, us);
    }
    head::RegisterFile regs{};
    RecordingActuators act;
    head::CommandInterpreter interpreter;
};

// One command sequence and the actuator calls it makes, on a model.
struct CallsRow {
    const char* name;
    uint16_t model;
    std::vector<std::array<uint16_t, 3>> commands;  // {code, A, B}, A and B 0 unless given
    std::vector<std::string> calls;
};

class InterpreterCalls : public testing::TestWithParam<CallsRow> {};

TEST_P(InterpreterCalls, DriveTheActuators) {
    Head h(GetParam().model);
    for (const auto& c : GetParam().commands)
        h.Send(c[0], c[1], c[2]);
    EXPECT_EQ(h.act.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, InterpreterCalls,
    testing::Values(
        CallsRow("TiersAndDirections", 14, {{69}, {62}, {75}, {64}, {23}, {22}, {65}, {3}},
                 {"run tilt+ 0", "run tilt- 1", "run pan- 2", "run pan+ 1", "run zoom+ 2",
                  "run zoom- 0", "stop pan tilt", "stop zoom"}),
        CallsRow("NudgesOneStepEachWay", 14, {{161}, {162}, {163}, {164}},
                 {"nudge tilt+", "nudge tilt-", "nudge pan+", "nudge pan-"}),
        CallsRow("PositionsSignedPanTiltUnsignedZoom", 14,
                 {{160, 0xFF38, 0xFFF6}, {159, 30, 0xFFEC}, {157, 40000}},
                 {"drive -200 -10", "move by 30 -20", "drive zoom 40000"}),
        CallsRow("ZoomOnlyHeadIgnoresPanTilt", 26, {{61}, {163}, {160, 5, 5}, {159, 5, 5}, {1}},
                 {"run zoom+ 1"}),
        CallsRow("GainsOnlyInManualColour", 14,
                 {{142, 300}, {12}, {142, 300}, {143, 0, 90}, {7}, {143, 0, 9}},
                 {"auto white 0", "red 44", "blue 90", "auto white 1"}),
        CallsRow("PictureBytes", 14, {{147, 0x1A0}, {148, 70}, {146}, {5}, {6}},
                 {"brightness 160", "contrast 70", "colour level 0", "exposure -1", "exposure 1"}),
        CallsRow("SharpnessCodesSoftestFirstUnknownIgnored", 14,
                 {{151, 144}, {151, 145}, {151, 146}}, {"sharpness 0", "sharpness 5"}),
        CallsRow("OldestHeadBrightensOnlyInManualExposure", 2, {{27}, {29}, {27}}, {"exposure 1"}),
        CallsRow("NewerHeadIgnoresOldExposureCodes", 14, {{29}, {27}}, {}),
        CallsRow("FlashLevelsArmAndFocus", 14, {{100}, {132}, {133}, {140}, {141}, {10}},
                 {"flash level 0", "flash level 32", "arm flash 0", "disarm flash",
                  "auto focus 0"})),
    RowName{});

// A report: the registers it answers in, before and after the delay.
struct AnswerRow {
    const char* name;
    uint16_t model;
    bool silent;
    std::vector<uint16_t> before;  // commands sent first, each answered before the next
    uint16_t code;
    uint16_t a;  // argument A once the answer has landed (0xEEEE: untouched)
    uint16_t b;
};

class InterpreterAnswers : public testing::TestWithParam<AnswerRow> {};

TEST_P(InterpreterAnswers, LandAfterTheDelay) {
    const AnswerRow& row = GetParam();
    Head h(row.model, row.silent);
    int64_t us = 0;
    for (uint16_t code : row.before)
        h.Send(code, 0, 0, us += 100'000);
    h.Send(row.code, 0xEEEE, 0xEEEE, us += 100'000);
    h.interpreter.Settle(us + head::kAnswerDelayUs - 1);
    EXPECT_EQ(h.regs[head::kRegArgA], 0xEEEE) << "an answer read too early shows the old value";
    EXPECT_EQ(h.regs[head::kRegArgB], 0xEEEE);
    h.interpreter.Settle(us + head::kAnswerDelayUs);
    EXPECT_EQ(h.regs[head::kRegArgA], row.a);
    EXPECT_EQ(h.regs[head::kRegArgB], row.b);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, InterpreterAnswers,
    testing::Values(AnswerRow("Handshake", 14, false, {}, 137, 0xEEEE, 175),
                    AnswerRow("SilentHeadNoHandshake", 14, true, {}, 137, 0xEEEE, 0xEEEE),
                    AnswerRow("FocusAuto", 14, false, {}, 170, 2, 0xEEEE),
                    AnswerRow("FocusManual", 14, false, {10}, 170, 1, 0xEEEE),
                    AnswerRow("SilentHeadNoFocusMode", 14, true, {}, 170, 0xEEEE, 0xEEEE),
                    AnswerRow("ModelEvenWhenSilent", 62, true, {}, 152, 62, 0xEEEE),
                    AnswerRow("ZoomPosition", 14, false, {}, 155, 14000, 0xEEEE),
                    AnswerRow("PanTiltTwosComplement", 14, false, {}, 156, 0xFB2E, 321),
                    AnswerRow("RedGain", 14, false, {}, 144, 171, 0xEEEE),
                    AnswerRow("BlueGain", 14, false, {}, 145, 0xEEEE, 206)),
    RowName{});

}  // namespace
