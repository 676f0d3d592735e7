// The conformance checks. They go only through the device layer's public calls, so they hold
// for any backend that keeps the driver's contract; see DeviceConformance.h.
#include "tests/device/DeviceConformance.h"

#include <gmock/gmock.h>

#include <vector>

#include "device/Camera.h"
#include "device/CameraTables.h"
#include "device/TextConvert.h"

void DeviceConformance::SetUp() {
    scopedClock = std::make_unique<sys::ScopedClock>(clock);
    backend = GetParam().make();
    ASSERT_NE(backend, nullptr);
    InstallDriverTransport(backend.get());
    ASSERT_EQ(OpenCamera(), kCameraOk);
}

void DeviceConformance::TearDown() {
    CloseCamera();
    InstallDriverTransport(nullptr);
    backend.reset();
    scopedClock.reset();
}

namespace {

uint16_t Word(uint32_t id) {
    uint8_t buffer[4] = {};
    EXPECT_EQ(GetCameraProperty(id, buffer, 4), kCameraOk) << "property " << id;
    return static_cast<uint16_t>(buffer[0] | buffer[1] << 8);
}

}  // namespace

TEST_P(DeviceConformance, OpenAndCloseInAnyOrder) {
    EXPECT_EQ(OpenCamera(), kCameraOk) << "already open";
    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_EQ(CloseCamera(), kCameraOk);
    uint8_t buffer[4];
    uint32_t returned = 0;
    EXPECT_EQ(GetCameraProperty(kPropQuality, buffer, 4), kCameraFailed);
    EXPECT_EQ(SetCameraProperty(kPropCommand, 1), kCameraFailed);
    EXPECT_EQ(ReadCameraFrame(buffer, &returned), kCameraFailed);
    EXPECT_EQ(OpenCamera(), kCameraOk);
}

TEST_P(DeviceConformance, SensorMaximaAreTheCamerasRegisters) {
    uint16_t width = 0, height = 0;
    ASSERT_EQ(ReadRegister(33, &width), kCameraOk);
    ASSERT_EQ(ReadRegister(34, &height), kCameraOk);
    EXPECT_EQ(Word(kPropSensorMaxWidth), width);
    EXPECT_EQ(Word(kPropSensorMaxHeight), height);
    EXPECT_GE(width, 640);
    EXPECT_GE(height, 480);
    uint16_t largest = 0;
    for (const SizePreset& row : kSizePresets) {
        if (row.width == 0 || row.width > width || row.height > height)
            break;
        largest = row.key;
    }
    EXPECT_EQ(Word(kPropLargestPreset), largest);
}

TEST_P(DeviceConformance, DefaultsAfterOpen) {
    EXPECT_EQ(Word(kPropModeWord), 1);
    EXPECT_EQ(Word(kPropQuality), 75);
    EXPECT_EQ(Word(kPropOutputFormat), kFormatRgb565);
    EXPECT_EQ(Word(kPropToneSelector), 70);
    EXPECT_EQ(Word(kPropSizePreset), 1);
    EXPECT_EQ(Word(kPropScaleFactor), 1);
    EXPECT_EQ(Word(kPropStreaming), 0);
}

TEST_P(DeviceConformance, ResultCodes) {
    struct Case {
        const char* what;
        uint32_t id, value;
        int result;
    };
    const Case cases[] = {
        {"unknown id", 0, 1, kCameraUnknownProperty},
        {"id between the spaces", 200, 1, kCameraUnknownProperty},
        {"read-only id", kPropSensorMaxWidth, 1, kCameraUnknownProperty},
        {"unsupported format", kPropOutputFormat, 3, kCameraOutOfRange},
        {"unknown preset", kPropSizePreset, 99, kCameraOutOfRange},
        {"zero scale", kPropScaleFactor, 0, kCameraOutOfRange},
        {"width beyond the sensor", kPropImageWidth, 60000, kCameraOutOfRange},
        {"guarded by the mode word", kPropRegister37, 5, kCameraRefused},
        {"program's size", kPropSizePreset, 6, kCameraOk},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetCameraProperty(c.id, c.value), c.result) << c.what;
    uint8_t small[2];
    EXPECT_EQ(GetCameraProperty(kPropLastReadBytes, small, 2), kCameraBufferTooSmall);
}

TEST_P(DeviceConformance, InformationTextsAgreeNarrowAndWide) {
    const std::pair<uint32_t, uint32_t> texts[] = {{kPropInfoText1, kPropInfoText1Wide},
                                                   {kPropInfoText2, kPropInfoText2Wide},
                                                   {kPropInfoText3, kPropInfoText3Wide}};
    for (const auto& [narrowId, wideId] : texts) {
        uint32_t bytes = 0;
        ASSERT_EQ(GetCameraProperty(wideId, nullptr, 0, &bytes), kCameraOk);
        ASSERT_GE(bytes, 2u);
        std::vector<uint8_t> wideBytes(bytes);
        uint32_t characters = 0;
        ASSERT_EQ(GetCameraProperty(wideId, wideBytes.data(), bytes, &characters), kCameraOk);
        EXPECT_EQ(characters, bytes / 2);
        std::u16string wide;
        for (size_t i = 0; i + 2 < wideBytes.size(); i += 2)
            wide.push_back(static_cast<char16_t>(wideBytes[i] | wideBytes[i + 1] << 8));
        std::string expected;
        ASSERT_TRUE(Utf16ToUtf8(wide, expected));
        std::vector<char> narrow(expected.size() + 1, 'x');
        uint32_t count = 0;
        ASSERT_EQ(GetCameraProperty(narrowId, narrow.data(), narrow.size(), &count), kCameraOk);
        EXPECT_EQ(std::string(narrow.data()), expected);
        EXPECT_EQ(count, expected.size() + 1);
    }
}

TEST_P(DeviceConformance, RawRegistersReadBackWhatWasWritten) {
    uint16_t written = 0x4321;
    ASSERT_EQ(SetCameraProperty(kPropRawFirst + 200, written), kCameraOk);
    uint16_t readBack = 0;
    uint32_t returned = 0;
    ASSERT_EQ(GetCameraProperty(kPropRawFirst + 200, &readBack, 2, &returned), kCameraOk);
    EXPECT_EQ(readBack, written);
    EXPECT_EQ(returned, 2u);
}

TEST_P(DeviceConformance, MirroredPropertiesReachTheirRegisters) {
    const std::pair<uint32_t, uint16_t> mirrored[] = {
        {kPropRegister17, 17}, {kPropRegister18, 18}, {kPropRegister19, 19}, {kPropRegister20, 20}};
    uint16_t value = 0x1230;
    for (const auto& [id, reg] : mirrored) {
        ++value;
        ASSERT_EQ(SetCameraProperty(id, value), kCameraOk);
        uint16_t readBack = 0;
        ASSERT_EQ(ReadRegister(reg, &readBack), kCameraOk);
        EXPECT_EQ(readBack, value) << "register " << reg;
    }
}

TEST_P(DeviceConformance, StreamsTheProgramsPicture) {
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropOutputFormat, kFormatBgr24), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropHostDecoding, 1), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    std::vector<uint8_t> picture(640 * 480 * 3 + 16, 0xAA);
    for (int frame = 0; frame < 3; ++frame) {
        uint32_t returned = 0;
        ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk) << "frame " << frame;
        EXPECT_EQ(returned, 640u * 480 * 3);
        uint32_t delivered = 0;
        ASSERT_EQ(GetCameraProperty(kPropLastReadBytes, &delivered, 4), kCameraOk);
        EXPECT_GT(delivered, 0u);
        EXPECT_LE(delivered, 640u * 480 * 3);
    }
    EXPECT_THAT(std::vector<uint8_t>(picture.end() - 16, picture.end()), ::testing::Each(0xAA));
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 0), kCameraOk);
}

TEST_P(DeviceConformance, HeightChangeWhileStreamingStaysInsideTheBuffers) {
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropOutputFormat, kFormatBgr24), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropHostDecoding, 1), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    std::vector<uint8_t> picture(640 * 480 * 3, 0xAA);
    uint32_t returned = 0;
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(SetCameraProperty(kPropImageHeight, 240), kCameraRefused);
    std::fill(picture.begin(), picture.end(), 0xAA);
    // The camera may still send a frame of the old height (refused) or already the new one.
    for (int frame = 0; frame < 2; ++frame) {
        returned = 0;
        const int result = ReadCameraFrame(picture, &returned);
        ASSERT_TRUE(result == kCameraOk || result == kCameraFailed) << result;
        if (result == kCameraOk) {
            EXPECT_EQ(returned, 640u * 240 * 3);
        }
    }
    EXPECT_THAT(std::vector<uint8_t>(picture.begin() + 640 * 240 * 3, picture.end()),
                ::testing::Each(0xAA));
}
