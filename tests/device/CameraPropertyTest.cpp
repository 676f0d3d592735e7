// Property gets and sets: which ids exist, the rules of each kind of property, the registers
// each set writes, and the buffer and text handling of gets.
#include <gmock/gmock.h>

#include <cstring>
#include <string>
#include <utility>

#include "device/CameraTables.h"
#include "tests/device/CameraFixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// The transcript lines of a register write and read at the start of the virtual clock.
std::string Write(unsigned reg, unsigned value) {
    return "write reg " + std::to_string(reg) + " = " + std::to_string(value) + " @ 0 ms";
}
std::string Read(unsigned reg) {
    return "read reg " + std::to_string(reg) + " @ 0 ms";
}

class CameraPropertyTest : public CameraTest {
  protected:
    void SetUp() override {
        CameraTest::SetUp();
        driver.SetInfo(0x1234, 0x5678, 0x9ABC, u"Cam\u00E9ra", u"", u"\u4E2D\U0001F600");
        Open();
    }
};

TEST_F(CameraPropertyTest, UnknownIdsAnswer3AndSendNothing) {
    uint8_t buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    uint32_t returned = 77;
    for (uint32_t id : {0u, 49u, 127u, 128u, 255u, 512u, 0xFFFFFFFFu}) {
        EXPECT_EQ(GetCameraProperty(id, buffer, 4, &returned), kCameraUnknownProperty) << id;
        EXPECT_EQ(SetCameraProperty(id, 1), kCameraUnknownProperty) << id;
    }
    // Read-only ids cannot be set.
    for (uint32_t id :
         {16u, 20u, 21u, 22u, 26u, 27u, 28u, 35u, 36u, 37u, 39u, 40u, 43u, 44u, 45u, 48u}) {
        EXPECT_EQ(SetCameraProperty(id, 1), kCameraUnknownProperty) << id;
    }
    EXPECT_EQ(SetCameraPropertyBlock(kPropQuality, {}), kCameraUnknownProperty);
    EXPECT_THAT(buffer, ElementsAre(0xAA, 0xAA, 0xAA, 0xAA));
    EXPECT_EQ(returned, 77u);
    EXPECT_THAT(driver.Requests(), IsEmpty());
}

// A property id and the register behind it.
struct IdAndRegister {
    uint32_t id;
    uint16_t reg;
};

TEST_F(CameraPropertyTest, MirroredPropertiesStoreAndWriteTheirRegister) {
    const IdAndRegister cases[] = {{1, 1},   {2, 31},  {3, 32},  {5, 48},  {7, 5},
                                   {11, 7},  {12, 9},  {17, 15}, {18, 17}, {19, 18},
                                   {23, 19}, {24, 20}, {38, 35}, {41, 36}, {46, 2}};
    for (const IdAndRegister& c : cases) {
        driver.ClearRecord();
        // Only the low 16 bits count.
        EXPECT_EQ(SetCameraProperty(c.id, 0x70000 + c.id), kCameraOk);
        EXPECT_THAT(driver.RegisterTranscript(), ElementsAre(Write(c.reg, c.id)));
        EXPECT_EQ(GetWord(c.id), c.id);
    }
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropCommand, static_cast<uint32_t>(-1)), kCameraOk);
    EXPECT_THAT(driver.Transcript(), ElementsAre(Write(7, 65535)));
    // A failed register write does not change the result.
    driver.FailNextRequests(1);
    EXPECT_EQ(SetCameraProperty(kPropCommand, 137), kCameraOk);
    EXPECT_EQ(GetWord(kPropCommand), 137);
}

TEST_F(CameraPropertyTest, LiveReadsAskTheCameraEachTime) {
    const IdAndRegister cases[] = {{6, 4},   {15, 42}, {16, 14}, {29, 26},
                                   {42, 37}, {44, 8},  {45, 16}};
    for (const IdAndRegister& c : cases) {
        driver.registers[c.reg] = static_cast<uint16_t>(1000 + c.id);
        driver.ClearRecord();
        EXPECT_EQ(GetWord(c.id), 1000 + c.id);
        EXPECT_THAT(driver.Transcript(), ElementsAre(Read(c.reg)));
    }
    // A failed live read still answers 0, with the buffer zeroed.
    driver.FailNextRequests(1);
    EXPECT_EQ(GetWord(kPropArgB), 0);
}

TEST_F(CameraPropertyTest, ScriptedCommandAnswerIsReadBack) {
    driver.onWrite = [](zelvo_test::RecordingDriver& d, uint16_t reg, uint16_t value) {
        if (reg == 7 && value == 137)
            d.registers[4] = 175;
    };
    ASSERT_EQ(SetCameraProperty(kPropCommand, 137), kCameraOk);
    clock.AdvanceMs(100);
    EXPECT_EQ(GetWord(kPropArgB), 175);
    EXPECT_THAT(driver.Transcript(),
                ElementsAre("write reg 7 = 137 @ 0 ms", "read reg 4 @ 100 ms"));
}

TEST_F(CameraPropertyTest, DefaultsAfterOpen) {
    const std::pair<uint32_t, uint16_t> cases[] = {
        {1, 1},    {2, 0},  {4, 0},    {7, 125},  {8, 0},  {9, 0},  {10, 75},
        {11, 125}, {12, 1}, {13, 4},   {14, 70},  {30, 1}, {31, 0}, {32, 0},
        {33, 0},   {34, 0}, {38, 125}, {41, 125}, {46, 1}, {47, 1}, {25, 0}};
    for (const auto& [id, value] : cases)
        EXPECT_EQ(GetWord(id), value) << "property " << id;
}

TEST_F(CameraPropertyTest, ClampedTableSettingsSendTheirBlock) {
    struct Case {
        const char* name;
        uint32_t id, value;
        uint16_t stored, reg;
    };
    const Case cases[] = {
        {"quality above 100", kPropQuality, 150, 100, 25},
        {"quality", kPropQuality, 40, 40, 25},
        {"knee above 255", kPropToneKnee, 300, 255, 13},
        {"selector above 255", kPropToneSelector, 1000, 255, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.ClearRecord();
        EXPECT_EQ(SetCameraProperty(c.id, c.value), kCameraOk);
        EXPECT_EQ(GetWord(c.id), c.stored);
        ASSERT_EQ(driver.Requests().size(), 1u);
        EXPECT_EQ(driver.Requests()[0].ToString(),
                  "block reg " + std::to_string(c.reg) + " [256] @ 0 ms");
        EXPECT_EQ(driver.Requests()[0].input.size(), 264u);
    }
}

TEST_F(CameraPropertyTest, QualityAbove100SendsAllOnes) {
    ASSERT_EQ(SetCameraProperty(kPropQuality, 150), kCameraOk);
    std::vector<uint8_t> ones(256, 0);
    for (size_t i = 0; i < 256; i += 2)
        ones[i] = 1;
    EXPECT_EQ(driver.blocks[25], ones);
}

TEST_F(CameraPropertyTest, ToneCurveUsesTheOtherStoredHalf) {
    ASSERT_EQ(SetCameraProperty(kPropToneSelector, 200), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropToneKnee, 300), kCameraOk);
    EXPECT_THAT(driver.blocks[13], ElementsAreArray(BuildToneCurveBlock(255, 200)));
}

TEST_F(CameraPropertyTest, FailedBlockWritesAnswer1ButKeepTheValue) {
    driver.FailNextRequests(1);
    EXPECT_EQ(SetCameraProperty(kPropQuality, 10), kCameraFailed);
    EXPECT_EQ(GetWord(kPropQuality), 10);
    driver.FailNextRequests(1);
    EXPECT_EQ(SetCameraProperty(kPropToneKnee, 10), kCameraFailed);
}

TEST_F(CameraPropertyTest, OutputFormatTakesOnlySelectableFormats) {
    for (uint16_t format : {2, 4, 6, 11}) {
        EXPECT_EQ(SetCameraProperty(kPropOutputFormat, format), kCameraOk);
        EXPECT_EQ(GetWord(kPropOutputFormat), format);
    }
    ASSERT_EQ(SetCameraProperty(kPropOutputFormat, 4), kCameraOk);
    for (uint16_t format : {0, 3, 7, 19, 65535}) {
        EXPECT_EQ(SetCameraProperty(kPropOutputFormat, format), kCameraOutOfRange) << format;
    }
    EXPECT_EQ(GetWord(kPropOutputFormat), 4);
    EXPECT_THAT(driver.Requests(), IsEmpty());
}

TEST_F(CameraPropertyTest, StoreOnlyAndWriteOnlyProperties) {
    EXPECT_EQ(SetCameraProperty(kPropHostDecoding, 1), kCameraOk);
    EXPECT_EQ(GetWord(kPropHostDecoding), 1);
    EXPECT_THAT(driver.Requests(), IsEmpty());
    EXPECT_EQ(SetCameraProperty(kPropRegister42, 33), kCameraOk);
    EXPECT_EQ(SetCameraProperty(kPropRegister23, 44), kCameraOk);
    EXPECT_EQ(GetWord(kPropRegister23), 44);
    EXPECT_THAT(driver.Transcript(), ElementsAre(Write(42, 33), Write(23, 44)));
}

TEST_F(CameraPropertyTest, Register37IsGuardedByTheModeWord) {
    EXPECT_EQ(SetCameraProperty(kPropRegister37, 5), kCameraRefused);
    EXPECT_THAT(driver.Requests(), IsEmpty());
    ASSERT_EQ(SetCameraProperty(kPropModeWord, 0), kCameraOk);
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropRegister37, 5), kCameraOk);
    EXPECT_THAT(driver.Transcript(), ElementsAre(Write(37, 5)));
}

// --- sizes --------------------------------------------------------------------------------

TEST_F(CameraPropertyTest, SizePresetProgramsImageAndArea) {
    ASSERT_EQ(SetCameraProperty(kPropImageWidth, 100), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropImageHeight, 100), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropScaleFactor, 3), kCameraOk);
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    EXPECT_THAT(driver.Transcript(),
                ElementsAre(Write(29, 640), Write(30, 480), Write(27, 640), Write(28, 480)));
    EXPECT_EQ(GetWord(kPropScaleFactor), 1);
    EXPECT_EQ(GetWord(kPropAreaWidth), 640);
    EXPECT_EQ(GetWord(kPropAreaHeight), 480);
    EXPECT_EQ(GetWord(kPropSizePreset), 255) << "the marker stays as the width set left it";
}

TEST_F(CameraPropertyTest, SizePresetRefusals) {
    ASSERT_EQ(SetCameraProperty(kPropScaleFactor, 1), kCameraOk);
    for (uint16_t key : {0, 11, 13, 14}) {  // 1600 x 1200 and up exceed the 1280 x 1024 sensor
        EXPECT_EQ(SetCameraProperty(kPropSizePreset, key), kCameraOutOfRange) << key;
    }
    EXPECT_EQ(GetWord(kPropImageWidth), 0);
    EXPECT_EQ(SetCameraProperty(kPropSizePreset, 10), kCameraOk);
    EXPECT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropSizePreset, 4), kCameraRefused);
    EXPECT_THAT(driver.Requests(), IsEmpty());
    EXPECT_EQ(GetWord(kPropImageWidth), 1280);
}

TEST_F(CameraPropertyTest, ScaleFactorScalesTheSensorArea) {
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 4), kCameraOk);  // 320 x 240
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropScaleFactor, 4), kCameraOk);
    EXPECT_THAT(driver.Transcript(),
                ElementsAre(Write(29, 320), Write(30, 240), Write(27, 1280), Write(28, 960)));
    EXPECT_EQ(GetWord(kPropScaleFactor), 4);
    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(kPropScaleFactor, 0), kCameraOutOfRange);
    EXPECT_EQ(SetCameraProperty(kPropScaleFactor, 5), kCameraOutOfRange);  // 1600 wide
    // 320 x 4097 and 240 x 4097 wrap a 16-bit product back inside the sensor.
    EXPECT_EQ(SetCameraProperty(kPropScaleFactor, 4097), kCameraOutOfRange);
    EXPECT_EQ(GetWord(kPropScaleFactor), 4);
    EXPECT_EQ(GetWord(kPropAreaWidth), 1280);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    EXPECT_EQ(SetCameraProperty(kPropScaleFactor, 1), kCameraRefused);
}

TEST_F(CameraPropertyTest, ImageAndAreaSizes) {
    struct Case {
        uint32_t id;
        uint16_t limit, reg;
    };
    for (const Case c :
         {Case{31, 1280, 29}, Case{32, 1024, 30}, Case{33, 1280, 27}, Case{34, 1024, 28}}) {
        SCOPED_TRACE(c.id);
        CloseCamera();
        ASSERT_EQ(OpenCamera(), kCameraOk);
        driver.ClearRecord();
        EXPECT_EQ(SetCameraProperty(c.id, c.limit + 1u), kCameraOutOfRange);
        EXPECT_EQ(GetWord(c.id), 0);
        EXPECT_EQ(GetWord(kPropSizePreset), 1);
        EXPECT_THAT(driver.Requests(), IsEmpty());
        EXPECT_EQ(SetCameraProperty(c.id, c.limit), kCameraOk);
        EXPECT_EQ(GetWord(c.id), c.limit);
        EXPECT_EQ(GetWord(kPropSizePreset), 255);
        EXPECT_THAT(driver.Transcript(), ElementsAre(Write(c.reg, c.limit)));
    }
}

TEST_F(CameraPropertyTest, SizesWhileStreaming) {
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    driver.ClearRecord();
    // The width is refused outright; height and area are applied and answered with 7.
    EXPECT_EQ(SetCameraProperty(kPropImageWidth, 320), kCameraRefused);
    EXPECT_EQ(GetWord(kPropImageWidth), 640);
    EXPECT_EQ(SetCameraProperty(kPropImageHeight, 240), kCameraRefused);
    EXPECT_EQ(GetWord(kPropImageHeight), 240);
    EXPECT_EQ(SetCameraProperty(kPropAreaWidth, 320), kCameraRefused);
    EXPECT_EQ(GetWord(kPropAreaWidth), 320);
    EXPECT_EQ(SetCameraProperty(kPropImageHeight, 2000), kCameraOutOfRange);
    EXPECT_THAT(driver.Transcript(), ElementsAre(Write(30, 240), Write(27, 320)));
    // The frame sizes follow the new height (see the frame tests for the buffers).
    EXPECT_EQ(CurrentCameraState().workSize, 640u * 240 * 2);
    EXPECT_EQ(CurrentCameraState().outputFrameSize, 640u * 240 * 2);
}

// --- streaming ----------------------------------------------------------------------------

TEST_F(CameraPropertyTest, StreamingOnAndOff) {
    struct Case {
        const char* name;
        uint16_t format, hostDecoding, compression;
        uint64_t readSize, outputSize;
    };
    constexpr uint64_t kPixels = 640 * 480;
    const Case cases[] = {
        {"24-bit, host decoding", 2, 1, 16, kPixels * 3, kPixels * 3},
        {"24-bit, camera pixels", 2, 0, 0, kPixels * 2, kPixels * 3},
        {"16-bit", 4, 0, 0, kPixels * 2, kPixels * 2},
        {"grey", 6, 1, 16, kPixels * 3, kPixels},
        {"raw", 11, 0, 16, kPixels * 3, 0},
    };
    ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SetCameraProperty(kPropOutputFormat, c.format), kCameraOk);
        ASSERT_EQ(SetCameraProperty(kPropHostDecoding, c.hostDecoding), kCameraOk);
        driver.ClearRecord();
        EXPECT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
        EXPECT_THAT(driver.Transcript(), ElementsAre(Write(10, c.compression), Write(6, 1)));
        const CameraState& state = CurrentCameraState();
        EXPECT_EQ(state.readSize, c.readSize);
        EXPECT_EQ(state.outputFrameSize, c.outputSize);
        EXPECT_EQ(state.workSize, kPixels * 2);
        EXPECT_EQ(GetWord(kPropStreaming), 1);
        driver.ClearRecord();
        EXPECT_EQ(SetCameraProperty(kPropStreaming, 0), kCameraOk);
        EXPECT_THAT(driver.Transcript(), ElementsAre(Write(6, 0)));
        EXPECT_EQ(GetWord(kPropStreaming), 0);
    }
}

// --- information reply --------------------------------------------------------------------

TEST_F(CameraPropertyTest, InformationWords) {
    EXPECT_EQ(GetWord(kPropInfoWord1), 0x1234);
    EXPECT_EQ(GetWord(kPropInfoWord2), 0x5678);
    EXPECT_EQ(GetWord(kPropInfoWord3), 0x9ABC);
}

TEST_F(CameraPropertyTest, NarrowTextsAreUtf8) {
    char text[16];
    uint32_t returned = 0;
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, nullptr, 0, &returned), kCameraOk);
    EXPECT_EQ(returned, 8u);  // "Cam", two bytes for the e-acute, "ra", terminator
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, text, sizeof text, &returned), kCameraOk);
    EXPECT_STREQ(text, "Cam\xC3\xA9ra");
    EXPECT_EQ(returned, 8u);
    EXPECT_EQ(GetCameraProperty(kPropInfoText3, text, sizeof text, &returned), kCameraOk);
    EXPECT_STREQ(text, "\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(GetCameraProperty(kPropInfoText2, text, sizeof text, &returned), kCameraOk);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(returned, 1u);
    // Too small for the whole text: the conversion fails and nothing is handed out.
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, text, 6, &returned), kCameraFailed);
    EXPECT_EQ(std::string(text, 6), std::string(6, '\0'));
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, nullptr, 6, &returned), kCameraFailed);
}

TEST_F(CameraPropertyTest, NarrowTextWithBrokenUtf16Fails) {
    CloseCamera();
    driver.SetInfo(0, 0, 0, std::u16string(1, char16_t(0xD800)) + u"x", u"", u"");
    ASSERT_EQ(OpenCamera(), kCameraOk);
    char text[16];
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, text, sizeof text), kCameraFailed);
}

TEST_F(CameraPropertyTest, WideTexts) {
    struct Case {
        const char* name;
        uint32_t size, returned;
        size_t bytesCopied;
    };
    // "Caméra" is 6 units: 14 bytes with the terminator.
    const Case cases[] = {
        {"size query", 0, 14, 0},       {"exact fit", 14, 7, 12}, {"roomy", 20, 7, 12},
        {"one unit short", 12, 12, 10}, {"odd size", 5, 5, 3},    {"one byte", 1, 1, 0},
    };
    const uint8_t expected[12] = {'C', 0, 'a', 0, 'm', 0, 0xE9, 0, 'r', 0, 'a', 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> buffer(std::max<uint32_t>(c.size, 1) + 4, 0xAA);
        uint32_t returned = 0;
        EXPECT_EQ(GetCameraProperty(kPropInfoText1Wide, c.size ? buffer.data() : nullptr, c.size,
                                    &returned),
                  kCameraOk);
        EXPECT_EQ(returned, c.returned);
        if (c.size == 0)
            continue;
        for (size_t i = 0; i < c.size; ++i) {
            EXPECT_EQ(buffer[i], i < c.bytesCopied ? expected[i] : 0) << "byte " << i;
        }
        EXPECT_EQ(buffer[c.size], 0xAA) << "nothing past the caller's size";
    }
}

TEST_F(CameraPropertyTest, TextWithoutTerminatorStopsAtItsField) {
    CloseCamera();
    driver.SetInfo(0, 0, 0, u"", u"", u"");
    for (size_t i = 0; i < kInfoTextUnits; ++i)
        PutLe16(driver.info, kInfoText1Offset + 2 * i, 'A');
    ASSERT_EQ(OpenCamera(), kCameraOk);
    uint32_t returned = 0;
    EXPECT_EQ(GetCameraProperty(kPropInfoText1Wide, nullptr, 0, &returned), kCameraOk);
    EXPECT_EQ(returned, 2 * (kInfoTextUnits + 1));
    EXPECT_EQ(GetCameraProperty(kPropInfoText1, nullptr, 0, &returned), kCameraOk);
    EXPECT_EQ(returned, kInfoTextUnits + 1);
}

// --- buffers ------------------------------------------------------------------------------

TEST_F(CameraPropertyTest, GetZeroesTheBufferAndChecksItsSize) {
    uint8_t buffer[8];
    uint32_t returned = 0;
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetCameraProperty(kPropQuality, buffer, 8, &returned), kCameraOk);
    EXPECT_THAT(buffer, ElementsAre(75, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(returned, 8u);

    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetCameraProperty(kPropLastReadBytes, buffer, 2, &returned), kCameraBufferTooSmall);
    EXPECT_THAT(buffer, ElementsAre(0, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA));
    EXPECT_EQ(GetCameraProperty(kPropLastReadBytes, buffer, 4, &returned), kCameraOk);
    EXPECT_THAT(buffer, ElementsAre(0, 0, 0, 0, 0xAA, 0xAA, 0xAA, 0xAA));

    // A word property needs two bytes; a live read with less sends nothing.
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetCameraProperty(kPropQuality, buffer, 1), kCameraBufferTooSmall);
    EXPECT_EQ(GetCameraProperty(kPropArgB, buffer, 1), kCameraBufferTooSmall);
    EXPECT_THAT(buffer, ElementsAre(0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA));
    EXPECT_EQ(GetCameraProperty(kPropQuality, nullptr, 4), kCameraFailed);
    EXPECT_THAT(driver.Requests(), IsEmpty());
}

// --- raw registers ------------------------------------------------------------------------

TEST_F(CameraPropertyTest, RawRegisterReadsAndWrites) {
    driver.registers[300] = 0xBEEF;
    driver.registers[301] = 0x0102;
    uint8_t buffer[6];
    std::memset(buffer, 0xAA, sizeof buffer);
    uint32_t returned = 0;
    EXPECT_EQ(GetCameraProperty(300, buffer, 4, &returned), kCameraOk);
    EXPECT_THAT(buffer, ElementsAre(0xEF, 0xBE, 0x02, 0x01, 0xAA, 0xAA));
    EXPECT_EQ(returned, 4u);
    EXPECT_THAT(driver.Requests()[0].input,
                ElementsAre(0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x2C, 0x01));

    driver.ClearRecord();
    EXPECT_EQ(SetCameraProperty(511, 0x12345, 2), kCameraOk);
    EXPECT_EQ(SetCameraProperty(256, 7), kCameraOk);
    EXPECT_EQ(SetCameraProperty(257, 7, 3), kCameraOutOfRange);  // needs a payload
    const uint8_t payload[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(SetCameraPropertyBlock(258, payload), kCameraOk);
    EXPECT_EQ(SetCameraPropertyBlock(259, std::span(payload, 2)), kCameraOk);
    EXPECT_THAT(driver.Transcript(), ElementsAre(Write(511, 9029), Write(256, 7),
                                                 "block reg 258 [5] @ 0 ms", Write(259, 513)));
    EXPECT_THAT(driver.Requests()[2].input,
                ElementsAre(0x01, 0x00, 0x60, 0x00, 0x00, 0x00, 0x02, 0x01, 1, 2, 3, 4, 5));

    driver.FailNextRequests(3);
    EXPECT_EQ(GetCameraProperty(300, buffer, 2), kCameraFailed);
    EXPECT_EQ(SetCameraProperty(300, 1), kCameraFailed);
    EXPECT_EQ(SetCameraPropertyBlock(300, payload), kCameraFailed);
}

}  // namespace
