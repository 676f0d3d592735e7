// Which nodes are looked at first when no camera is named: stable by-id names, then the video
// nodes by number (video10 after video2), each camera once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "v4l2/Discovery.h"

namespace {

namespace fs = std::filesystem;

TEST(Discovery, ByIdNamesFirstThenVideoNodesByNumberEachOnce) {
    const fs::path dev = fs::path(testing::TempDir()) / "zelvocam-discovery";
    fs::remove_all(dev);
    fs::create_directories(dev / "v4l" / "by-id");
    for (const char* name : {"video10", "video2", "video0", "video1", "videox", "zelvocam0"})
        std::ofstream(dev / name).put('\n');
    fs::create_symlink(dev / "video10", dev / "v4l" / "by-id" / "usb-Cam-video-index0");
    fs::create_symlink(dev / "video1", dev / "v4l" / "by-id" / "usb-Another-video-index0");

    const std::vector<std::string> expected = {
        (dev / "v4l/by-id/usb-Another-video-index0").string(),
        (dev / "v4l/by-id/usb-Cam-video-index0").string(),
        (dev / "video0").string(),
        (dev / "video2").string(),
    };
    EXPECT_EQ(v4l2::CandidateNodes(dev.string()), expected);
    fs::remove_all(dev);
}

}  // namespace
