// The device-node transport: discovery in a directory or of a given node, open failures that
// leave no descriptor behind, and frame reads that give up on a silent camera. Regular files
// and FIFOs stand in for device nodes.
#include <gmock/gmock.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "device/Camera.h"
#include "platform/driver/DeviceNodeTransport.h"
#include "platform/system/Clock.h"

namespace fs = std::filesystem;

namespace {

int OpenDescriptors() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

class DeviceNodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelvocam-nodes-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        CloseCamera();
        InstallDriverTransport(nullptr);
        fs::remove_all(dir_);
    }

    std::string Touch(const std::string& name, const std::string& content = "") {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string dir_;
    sys::VirtualClock clock;
    sys::ScopedClock scopedClock{clock};
};

}  // namespace

TEST_F(DeviceNodeTest, FindsTheFirstCameraNodeInNameOrder) {
    DeviceNodeTransport transport(dir_);
    std::u16string path;
    EXPECT_FALSE(transport.EnumerateFirstDevice(path)) << "empty directory";
    for (const char* name : {"video0", "zelvocam1", "zelvocam10", "zelvocam0"})
        Touch(name);
    ASSERT_TRUE(transport.EnumerateFirstDevice(path));
    std::string narrow(path.begin(), path.end());
    EXPECT_EQ(narrow, dir_ + "/zelvocam0");
}

TEST_F(DeviceNodeTest, GivenNodeIsUsedInsteadOfTheDirectory) {
    Touch("zelvocam0");
    DeviceNodeTransport transport(dir_, "/dev/elsewhere");
    std::u16string path;
    ASSERT_TRUE(transport.EnumerateFirstDevice(path));
    EXPECT_EQ(path, u"/dev/elsewhere");
}

TEST_F(DeviceNodeTest, MissingOrUnopenableNodeFailsTheOpenWithoutLeaking) {
    const int before = OpenDescriptors();
    for (const std::string& node : {dir_ + "/zelvocam-missing", dir_}) {
        DeviceNodeTransport transport(dir_, node);
        InstallDriverTransport(&transport);
        EXPECT_EQ(OpenCamera(), kCameraFailed) << node;
        EXPECT_FALSE(transport.IsOpen());
        EXPECT_EQ(OpenDescriptors(), before);
        InstallDriverTransport(nullptr);
    }
}

TEST_F(DeviceNodeTest, NodeThatIsNotACameraOpensAndClosesCleanly) {
    // A plain file opens, but refuses every control request: the open goes on with zeroed
    // information and sensor size, and the close gives the descriptor back.
    Touch("zelvocam0", "frame bytes");
    DeviceNodeTransport transport(dir_);
    InstallDriverTransport(&transport);
    const int before = OpenDescriptors();
    ASSERT_EQ(OpenCamera(), kCameraOk);
    EXPECT_TRUE(transport.IsOpen());
    EXPECT_EQ(OpenDescriptors(), before + 1);
    uint16_t value = 0;
    EXPECT_EQ(ReadRegister(33, &value), kCameraFailed);

    std::vector<uint8_t> buffer(5);
    uint32_t delivered = 0;
    ASSERT_TRUE(transport.ReadFrame(buffer, delivered));
    EXPECT_EQ(delivered, 5u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "frame");

    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_FALSE(transport.IsOpen());
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_FALSE(transport.ReadFrame(buffer, delivered));
    uint32_t returned = 0;
    EXPECT_FALSE(transport.ControlRequest(IOCTL_CAMERA_INFO, {}, buffer, returned));
}

// A camera that stays present but sends nothing: a FIFO nobody writes to. The read must give up
// after about a second instead of holding the window forever; bytes that do arrive are read.
TEST_F(DeviceNodeTest, FrameReadGivesUpOnASilentCameraAndReadsOneThatSends) {
    const std::string node = dir_ + "/zelvocam0";
    ASSERT_EQ(mkfifo(node.c_str(), 0600), 0);
    DeviceNodeTransport transport(dir_);
    std::u16string path;
    ASSERT_TRUE(transport.EnumerateFirstDevice(path));
    ASSERT_TRUE(transport.Open(path));  // read-write: a FIFO opens without a peer

    std::vector<uint8_t> buffer(16);
    uint32_t delivered = 99;
    const auto started = std::chrono::steady_clock::now();
    auto read =
        std::async(std::launch::async, [&] { return transport.ReadFrame(buffer, delivered); });
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Unblock the stuck read so the test can report instead of hanging.
        const int writer = ::open(node.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_EQ(::write(writer, "x", 1), 1);
        ::close(writer);
        read.wait();
        FAIL() << "the read of a silent camera did not give up";
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(read.get());
    EXPECT_EQ(delivered, 0u);
    EXPECT_GE(waited, std::chrono::milliseconds(kFrameWaitMs));
    EXPECT_LT(waited, std::chrono::milliseconds(kFrameWaitMs + 1000));

    const int writer = ::open(node.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "frame", 5), 5);
    ASSERT_TRUE(transport.ReadFrame(buffer, delivered));
    EXPECT_EQ(delivered, 5u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "frame");
    ::close(writer);
}
