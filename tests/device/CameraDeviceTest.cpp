// Open, close, discovery and single register transfers: the request bytes on the wire, the
// initial programming sequence as one ordered record, and every failure path of the open.
#include <gmock/gmock.h>

#include "device/CameraTables.h"
#include "tests/device/CameraFixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using zelvo_test::RecordedRequest;

TEST(ControlRequestTest, EncodesEveryShapeLittleEndian) {
    EXPECT_THAT(ControlRequest::Read(33).Encode(),
                ElementsAre(0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x21, 0x00));
    EXPECT_THAT(ControlRequest::Write(7, 75).Encode(),
                ElementsAre(0x01, 0x00, 0x60, 0x00, 0x4B, 0x00, 0x07, 0x00));
    EXPECT_THAT(ControlRequest::Write(0x1FF, 0xABCD).Encode(),
                ElementsAre(0x01, 0x00, 0x60, 0x00, 0xCD, 0xAB, 0xFF, 0x01));
    const uint8_t payload[3] = {9, 8, 7};
    EXPECT_THAT(EncodeBlockWrite(25, payload),
                ElementsAre(0x01, 0x00, 0x60, 0x00, 0x00, 0x00, 0x19, 0x00, 9, 8, 7));
}

TEST_F(CameraTest, RegisterTransfersAreExactBytes) {
    Open();
    driver.registers[33] = 0x0280;
    uint16_t value = 0;
    ASSERT_EQ(ReadRegister(33, &value), kCameraOk);
    EXPECT_EQ(value, 0x0280);
    ASSERT_EQ(WriteRegister(75, 7), kCameraOk);

    const auto& log = driver.Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].code, IOCTL_CAMERA_REGISTER);
    EXPECT_THAT(log[0].input, ElementsAre(0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x21, 0x00));
    EXPECT_EQ(log[0].outputLength, 2u);
    EXPECT_EQ(log[1].code, IOCTL_CAMERA_REGISTER);
    EXPECT_THAT(log[1].input, ElementsAre(0x01, 0x00, 0x60, 0x00, 0x4B, 0x00, 0x07, 0x00));
    EXPECT_EQ(log[1].outputLength, 0u);
}

TEST_F(CameraTest, RegisterTransfersReportDriverFailure) {
    Open();
    uint16_t value = 1234;
    driver.FailNextRequests(2);
    EXPECT_EQ(ReadRegister(4, &value), kCameraFailed);
    EXPECT_EQ(value, 1234);
    EXPECT_EQ(WriteRegister(1, 4), kCameraFailed);
    EXPECT_EQ(WriteRegister(1, 4), kCameraOk);
}

// Only a vanished device counts as gone; a failed request of one still there does not, and a
// replugged camera is opened afresh.
TEST_F(CameraTest, GoneOnlyWhenTheDeviceVanished) {
    ASSERT_EQ(OpenCamera(), kCameraOk);
    uint16_t value = 0;
    driver.FailNextRequests(1);
    EXPECT_EQ(ReadRegister(33, &value), kCameraFailed);
    EXPECT_FALSE(CameraGone());
    driver.Unplug();
    EXPECT_EQ(ReadRegister(33, &value), kCameraFailed);
    EXPECT_TRUE(CameraGone());
    driver.Replug();
    EXPECT_TRUE(CameraGone()) << "the handle opened before the unplug stays dead";
    CloseCamera();
    EXPECT_FALSE(CameraGone());
    ASSERT_EQ(OpenCamera(), kCameraOk);
    EXPECT_EQ(ReadRegister(33, &value), kCameraOk);
    EXPECT_FALSE(CameraGone());
}

TEST_F(CameraTest, OpenProgramsTheCameraInOrder) {
    clock.AdvanceMs(50);
    ASSERT_EQ(OpenCamera(), kCameraOk);
    EXPECT_THAT(
        driver.Transcript(),
        ElementsAre(
            "enumerate @ 50 ms", "open @ 50 ms", "info @ 50 ms", "read reg 33 @ 50 ms",
            "read reg 34 @ 50 ms", "write reg 1 = 1 @ 50 ms", "write reg 5 = 125 @ 50 ms",
            "write reg 48 = 0 @ 50 ms", "write reg 4 = 125 @ 50 ms", "block reg 25 [256] @ 50 ms",
            "write reg 7 = 125 @ 50 ms", "write reg 9 = 1 @ 50 ms", "write reg 15 = 0 @ 50 ms",
            "block reg 13 [256] @ 50 ms", "write reg 17 = 0 @ 50 ms", "write reg 18 = 0 @ 50 ms",
            "write reg 19 = 0 @ 50 ms", "write reg 20 = 0 @ 50 ms", "write reg 26 = 125 @ 50 ms",
            "write reg 35 = 125 @ 50 ms", "write reg 36 = 125 @ 50 ms", "write reg 2 = 1 @ 50 ms",
            "write reg 21 = 0 @ 50 ms", "write reg 46 = 0 @ 50 ms"));
    // The two blocks carry the tables for the default quality 75 and knee 0 / selector 70.
    const auto quality = BuildQuantisationBlock(75);
    const auto tone = BuildToneCurveBlock(0, 70);
    EXPECT_THAT(driver.blocks[25], ElementsAreArray(quality));
    EXPECT_THAT(driver.blocks[13], ElementsAreArray(tone));
}

TEST_F(CameraTest, OpenReadsTheSensorAndFindsTheLargestPreset) {
    struct Case {
        uint16_t width, height, largestKey;
    };
    // 1280 x 960 fits but 1280 x 1024 not: key 9. The walk stops at the first misfit, so a
    // sensor of 1280 x 1000 stops at key 9 even though later rows are no taller.
    for (const Case c : {Case{1280, 1024, 10}, Case{1280, 1000, 9}, Case{2560, 1920, 13},
                         Case{640, 480, 6}, Case{100, 100, 0}, Case{0, 0, 0}}) {
        zelvo_test::SetSensorSize(driver, c.width, c.height);
        ASSERT_EQ(OpenCamera(), kCameraOk);
        EXPECT_EQ(GetWord(kPropSensorMaxWidth), c.width);
        EXPECT_EQ(GetWord(kPropSensorMaxHeight), c.height);
        EXPECT_EQ(GetWord(kPropLargestPreset), c.largestKey) << c.width << "x" << c.height;
        CloseCamera();
    }
}

TEST_F(CameraTest, OpenTwiceDoesNothingTheSecondTime) {
    ASSERT_EQ(OpenCamera(), kCameraOk);
    driver.ClearRecord();
    EXPECT_EQ(OpenCamera(), kCameraOk);
    EXPECT_TRUE(driver.Requests().empty());
}

TEST_F(CameraTest, ReopenStartsAgainFromTheDefaults) {
    Open();
    ASSERT_EQ(SetCameraProperty(kPropQuality, 20), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    CloseCamera();
    ASSERT_EQ(OpenCamera(), kCameraOk);
    EXPECT_EQ(GetWord(kPropQuality), 75);
    EXPECT_EQ(GetWord(kPropImageWidth), 0);
    EXPECT_EQ(GetWord(kPropSizePreset), 1);
}

TEST_F(CameraTest, OpenFailuresLeaveTheLayerClosed) {
    struct Case {
        const char* name;
        bool present, openFails;
        std::vector<std::string> transcript;
    };
    const Case cases[] = {
        {"no camera", false, false, {"enumerate failed @ 0 ms"}},
        {"driver refuses", true, true, {"enumerate @ 0 ms", "open failed @ 0 ms"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.ClearRecord();
        driver.present = c.present;
        driver.openFails = c.openFails;
        EXPECT_EQ(OpenCamera(), kCameraFailed);
        EXPECT_EQ(driver.Transcript(), c.transcript);
        uint8_t buffer[4] = {};
        uint32_t returned = 0;
        EXPECT_EQ(GetCameraProperty(kPropQuality, buffer, 4), kCameraFailed);
        EXPECT_EQ(SetCameraProperty(kPropCommand, 1), kCameraFailed);
        EXPECT_EQ(ReadCameraFrame(buffer, &returned), kCameraFailed);
        uint16_t value = 0;
        EXPECT_EQ(ReadRegister(33, &value), kCameraFailed);
        EXPECT_EQ(WriteRegister(1, 1), kCameraFailed);
        EXPECT_EQ(CloseCamera(), kCameraOk);
        EXPECT_EQ(driver.Transcript(), c.transcript) << "nothing reaches a closed device";
    }
}

TEST_F(CameraTest, OpenWithoutATransportFails) {
    InstallDriverTransport(nullptr);
    std::u16string path;
    EXPECT_EQ(FindCameraDevice(path), kCameraFailed);
    EXPECT_EQ(OpenCamera(), kCameraFailed);
}

TEST_F(CameraTest, FindCameraDeviceRefusesPathsTheDriverCannotHold) {
    std::u16string path = u"unchanged";
    driver.devicePath = std::u16string(kMaxDevicePathUnits + 1, u'x');
    EXPECT_EQ(FindCameraDevice(path), kCameraFailed);
    EXPECT_EQ(path, u"unchanged");
    driver.devicePath = std::u16string(kMaxDevicePathUnits, u'x');
    EXPECT_EQ(FindCameraDevice(path), kCameraOk);
    EXPECT_EQ(path.size(), kMaxDevicePathUnits);
}

TEST_F(CameraTest, FailingRequestsDuringOpenAreIgnored) {
    driver.SetInfo(1, 2, 3, u"text", u"", u"");
    driver.FailEveryRequest(true);
    ASSERT_EQ(OpenCamera(), kCameraOk);
    driver.FailEveryRequest(false);
    // The information reply reads as empty, the sensor as 0 x 0, and the defaults stand.
    uint32_t returned = 0;
    char text[8] = {};
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, text, sizeof text, &returned), kCameraOk);
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(GetWord(kPropInfoWord1), 0);
    EXPECT_EQ(GetWord(kPropSensorMaxWidth), 0);
    EXPECT_EQ(GetWord(kPropQuality), 75);
}

TEST_F(CameraTest, CloseStopsStreamingAndClearsRegister23) {
    Open();
    ASSERT_EQ(SetCameraProperty(kPropRegister23, 9), kCameraOk);
    driver.ClearRecord();
    clock.AdvanceMs(10);
    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_THAT(driver.Transcript(), ElementsAre("write reg 6 = 0 @ 10 ms",
                                                 "write reg 23 = 0 @ 10 ms", "close @ 10 ms"));
    EXPECT_EQ(CurrentCameraState().decoder, nullptr);
    driver.ClearRecord();
    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_TRUE(driver.Requests().empty());
}
