// The camera head's command set: what each code written to the command register means.
//
// The host writes a command code to register 7 with its arguments already in register 26
// (argument A) and register 4 (argument B). The head latches the arguments at once, starts or
// stops its motors, changes its picture settings, and writes any answer back into registers 26
// and 4 a short while later (kAnswerDelayUs): like the real head, an answer read too early
// still shows the old register contents. Codes the head does not know are ignored.
//
// The interpreter keeps the head's modes (auto focus, automatic white balance, manual
// exposure) and the pending answers; everything physical goes to the HeadActuators.
#pragma once

#include <cstdint>
#include <deque>

#include "head/HeadActuators.h"
#include "head/RegisterFile.h"

namespace head {

inline constexpr int64_t kAnswerDelayUs = 20'000;
inline constexpr int kFlashLevelMax = 32;

// Model numbers the interpreter and the cameras share.
inline constexpr uint16_t kModelPanTilt = 14;   // a class-5 head: pan, tilt and zoom
inline constexpr uint16_t kModelZoomOnly = 26;  // a class-3 head: zoom only

// Whether a head of this model has a pan/tilt drive, and whether it is one of the oldest heads
// that know the exposure commands 27 and 29.
bool ModelHasPanTilt(uint16_t model);
bool IsOldestModel(uint16_t model);

class CommandInterpreter {
  public:
    // `silent` makes a head that never answers the hand-shake or the focus mode (a fault).
    CommandInterpreter(uint16_t model, bool silent, RegisterFile& registers,
                       HeadActuators& actuators);

    // Runs the command just written to register 7, with the arguments now in registers 26, 4.
    void Command(uint16_t code, int64_t us);
    // Lands the answers that are due by `us` in the register file, and lets the actuators catch
    // up with the clock. A camera calls it on every register access and every frame read, so
    // that motion carried out in steps (targets or steps sent as time passes) runs smoothly.
    void Settle(int64_t us);

    uint16_t Model() const { return model_; }

  private:
    struct PendingAnswer {
        int64_t dueUs;
        uint16_t reg;
        uint16_t value;
    };
    void PostAnswer(uint16_t reg, uint16_t value, int64_t us);
    bool RunMotion(uint16_t code, int64_t us);
    bool RunPictureCommand(uint16_t code, uint16_t a, uint16_t b);

    uint16_t model_;
    bool silent_;
    RegisterFile& regs_;
    HeadActuators& act_;
    std::deque<PendingAnswer> answers_;
    bool autoFocus_ = true;
    bool autoWhite_ = true;
    bool manualExposure_ = false;
};

}  // namespace head
