// The simulated camera through the driver interface itself: the request protocol, the camera
// head's answers and motion on the virtual clock, the frames and the faults.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "platform/driver/DeviceSetting.h"
#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"
#include "tests/simulator/SimulatorHost.h"
#include "tests/support/RowName.h"

namespace {

using namespace simtest;

// A camera on the virtual clock, opened, in the live room and not streaming.
class SimulatedCameraFixture : public simtest::CameraOnClock {
  protected:
    void SetUp() override { Start("sim", false); }
    // A report: the command, the time the head takes to answer, then the register it answers in.
    int Ask(uint16_t code, uint16_t reg, int answerMs = 100) {
        host->Command(code);
        clock.AdvanceMs(answerMs);
        return host->Read(reg);
    }
    std::pair<int, int> Position() {
        const int pan = int16_t(Ask(156, kArgA));
        return {pan, int16_t(host->Read(kArgB))};
    }
};

// ---------------------------------------------------------------------------------------------
// The driver protocol.

using SimulatedCameraTransport = SimulatedCameraFixture;

TEST_F(SimulatedCameraTransport, EnumeratesAndOpensOnlyItsOwnPath) {
    std::u16string path;
    ASSERT_TRUE(camera->EnumerateFirstDevice(path));
    EXPECT_EQ(path, u"sim");
    SimulatedCamera other;
    EXPECT_FALSE(other.Open(u"/dev/zelvocam0"));
    uint32_t returned = 0;
    std::vector<uint8_t> out(2);
    EXPECT_FALSE(other.ControlRequest(IOCTL_CAMERA_REGISTER, Header(0, 0x61, 0, 33), out, returned))
        << "a request before open must fail";
    camera->Close();
    EXPECT_EQ(host->Read(33), -1) << "a request after close must fail";
}

TEST_F(SimulatedCameraTransport, InformationReplyCarriesRecognisableTexts) {
    std::vector<uint8_t> reply(1542, 0xEE);
    uint32_t returned = 0;
    ASSERT_TRUE(camera->ControlRequest(IOCTL_CAMERA_INFO, {}, reply, returned));
    EXPECT_EQ(returned, 1542u);
    EXPECT_EQ(reply[2] | reply[3] << 8, 14);
    std::u16string text;
    for (size_t i = 4; reply[i] | reply[i + 1]; i += 2)
        text += char16_t(reply[i] | reply[i + 1] << 8);
    EXPECT_EQ(text.rfind(u"ZelvoCam", 0), 0u);
    EXPECT_EQ(reply[1540] | reply[1541], 0) << "every text field ends in a terminator";

    std::vector<uint8_t> small(1541);
    EXPECT_FALSE(camera->ControlRequest(IOCTL_CAMERA_INFO, {}, small, returned));
    EXPECT_FALSE(camera->ControlRequest(0x22E008, {}, reply, returned));
}

TEST_F(SimulatedCameraTransport, RegistersReadBackAndTheSensorSizeIsFixed) {
    EXPECT_EQ(host->Read(33), 640);
    EXPECT_EQ(host->Read(34), 480);
    ASSERT_TRUE(host->Write(200, 0xBEEF));
    EXPECT_EQ(host->Read(200), 0xBEEF);
    ASSERT_TRUE(host->Write(33, 1280));
    EXPECT_EQ(host->Read(33), 640);
}

TEST_F(SimulatedCameraTransport, MalformedRequestsAreRefused) {
    uint32_t returned = 0;
    std::vector<uint8_t> out(2);
    auto request = [&](std::vector<uint8_t> in, std::span<uint8_t> o) {
        return camera->ControlRequest(IOCTL_CAMERA_REGISTER, in, o, returned);
    };
    EXPECT_FALSE(request({0, 0, 0x61, 0, 0, 0, 33}, out)) << "seven-byte header";
    EXPECT_FALSE(request(Header(2, 0x61, 0, 33), out)) << "unknown direction";
    EXPECT_FALSE(request(Header(0, 0x60, 0, 33), out)) << "read with the write request";
    EXPECT_FALSE(request(Header(0, 0x61, 0, 512), out)) << "register beyond the file";
    EXPECT_FALSE(request(Header(0, 0x61, 0, 33), std::span(out).first(1)))
        << "no room for the value";
}

TEST_F(SimulatedCameraTransport, BlockWritesAreKeptAndReadBackAsBlocks) {
    std::vector<uint8_t> tables(256);
    std::iota(tables.begin(), tables.end(), 0);
    ASSERT_TRUE(host->WriteBlock(kQuantTables, tables));
    std::vector<uint8_t> back(256);
    uint32_t returned = 0;
    ASSERT_TRUE(camera->ControlRequest(IOCTL_CAMERA_REGISTER, Header(0, 0x61, 0, kQuantTables),
                                       back, returned));
    EXPECT_EQ(returned, 256u);
    EXPECT_EQ(back, tables);
}

// ---------------------------------------------------------------------------------------------
// The camera head.

using SimulatedCameraHead = SimulatedCameraFixture;

TEST_F(SimulatedCameraHead, AnswersLandAShortWhileAfterTheCommand) {
    host->Command(137, 0, 125);
    EXPECT_EQ(host->Read(kArgB), 125) << "read at once: the old contents";
    clock.AdvanceMs(100);
    EXPECT_EQ(host->Read(kArgB), 175);
}

TEST_F(SimulatedCameraHead, FocusModeFollowsNineAndTen) {
    EXPECT_EQ(Ask(170, kArgA), 2);
    host->Command(10);
    EXPECT_EQ(Ask(170, kArgA), 1);
    host->Command(9);
    EXPECT_EQ(Ask(170, kArgA), 2);
}

struct MotionCase {
    const char* name;
    uint16_t code;
    uint16_t stop;
    int pan, tilt, zoom;  // after 500 ms
};

class SimulatedCameraMotion : public SimulatedCameraFixture,
                              public ::testing::WithParamInterface<MotionCase> {};

TEST_P(SimulatedCameraMotion, RunsAtItsTierUntilStopped) {
    const MotionCase& m = GetParam();
    host->Command(m.code);
    clock.AdvanceMs(500);
    host->Command(m.stop);
    clock.AdvanceMs(500);  // stopped: no further motion
    EXPECT_EQ(Position(), std::pair(m.pan, m.tilt));
    EXPECT_EQ(Ask(155, kArgA), m.zoom);
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedCamera, SimulatedCameraMotion,
    ::testing::Values(MotionCase{"TiltUpSlow", 69, 65, 0, 50, 0},
                      MotionCase{"TiltDownMedium", 62, 65, 0, -200, 0},
                      MotionCase{"PanLeftMedium", 63, 65, -200, 0, 0},
                      MotionCase{"PanRightFast", 76, 65, 600, 0, 0},
                      MotionCase{"PanLeftFastHitsNoLimitYet", 75, 65, -600, 0, 0},
                      MotionCase{"ZoomInMedium", 1, 3, 0, 0, 1500},
                      MotionCase{"ZoomInFast", 23, 3, 0, 0, 3000},
                      MotionCase{"ZoomOutAtWideStays", 2, 3, 0, 0, 0},
                      MotionCase{"NudgeRight", 163, 65, 10, 0, 0},
                      MotionCase{"NudgeDown", 162, 65, 0, -10, 0},
                      MotionCase{"ZoomStopLeavesTiltRunning", 61, 3, 0, 400, 0}),
    RowName{});

TEST_F(SimulatedCameraHead, PositionsDriveWithinTheMechanicalLimits) {
    host->Command(160, -300, 120);
    clock.AdvanceMs(1000);
    EXPECT_EQ(Position(), std::pair(-300, 120));
    host->Command(159, 50, -20);  // relative, signed
    clock.AdvanceMs(1000);
    EXPECT_EQ(Position(), std::pair(-250, 100));
    host->Command(76);  // pan right fast for long
    host->Command(71);  // tilt up fast
    clock.AdvanceMs(10'000);
    EXPECT_EQ(Position(), std::pair(1700, 500));
    host->Command(157, 20000);
    clock.AdvanceMs(5000);
    EXPECT_EQ(Ask(155, kArgA), 15000);
}

class SimulatedCameraZoomOnly : public SimulatedCameraFixture {
  protected:
    void SetUp() override { Start("sim:26", false); }
};

TEST_F(SimulatedCameraZoomOnly, HasNoPanTiltDriveButZooms) {
    host->Command(64);
    host->Command(160, 300, 300);
    host->Command(157, 3000);
    clock.AdvanceMs(1000);
    EXPECT_EQ(camera->HeadPosition().pan, 0);
    EXPECT_EQ(camera->HeadPosition().tilt, 0);
    EXPECT_EQ(camera->HeadPosition().zoom, 3000);
    EXPECT_EQ(Ask(152, kArgA, 200), 26);
}

}  // namespace
