// zelvocam-probe on each emulated camera: the model number the station will see, and the line
// that tells support how the camera's positions are known.
#include <gtest/gtest.h>

#include <sstream>

#include "simulator/EmulatedUvcCamera.h"
#include "tests/support/RowName.h"
#include "tools/zelvocam-probe/Probe.h"

namespace {

struct ProbeCase {
    const char* name;
    int profile;
    const char* model;
    const char* telling;  // a line that must be there
};

const ProbeCase kProfiles[] = {
    {"SpeedPtz", 1, "sees: 14 (a class-5", "held motion runs \"Pan, Speed\""},
    {"AbsolutePtz", 2, "sees: 14 (a class-5", "advances \"Pan, Absolute\" on the clock"},
    {"RelativePtz", 3, "sees: 14 (a class-5", "positions are counted from the station's own moves"},
    {"Webcam", 4, "sees: 26 (a class-3 head whose zoom does nothing", "pan: no control"},
    {"Webcam420", 5, "sees: 26", "The station takes: MJPEG 640x480 at 30 frames"},
    {"YuyvOnly", 6, "sees: 26", "The station takes: YUYV 640x480"},
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, SaysWhatTheStationWillDo) {
    sim::EmulatedUvcOptions options;
    options.profile = GetParam().profile;
    sim::EmulatedUvcCamera camera(options);
    std::ostringstream out;
    ASSERT_TRUE(probe::DescribeCamera(camera, sim::kEmulatedUvcCaptureNode, 60, out));
    EXPECT_NE(out.str().find(GetParam().model), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(GetParam().telling), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeTest, ::testing::ValuesIn(kProfiles), RowName{});

TEST(Probe, ListsEachCameraOnceAndSkipsTheMetadataNode) {
    sim::EmulatedUvcCamera camera;
    const std::vector<std::string> nodes = camera.Nodes();
    ASSERT_EQ(nodes.size(), 3u);
    std::ostringstream out;
    ASSERT_TRUE(probe::ListCameras(camera, nodes, out));
    EXPECT_EQ(out.str(),
              nodes.front() + "  UVC PTZ Camera (speed) (uvcvideo, usb-0000:00:14.0-1)\n");

    std::ostringstream metadataOnly;
    EXPECT_FALSE(probe::ListCameras(camera, std::span(nodes).last(1), metadataOnly));
}

}  // namespace
