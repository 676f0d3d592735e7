// Loading and saving the operator's settings against a real key file in a private folder.
#include "capture/StationSettings.h"

#include <climits>
#include <string>
#include <variant>
#include <vector>

#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/registry/RegistryKey.h"
#include "platform/system/AtomicFile.h"
#include "tests/support/TempConfigHome.h"

namespace {

constexpr ScreenSize kScreen{1920, 1080};

// What the key holds after the first start of a new user: every value with its default, in the
// order they were read, three of them under their written-back names.
using Stored = std::variant<uint32_t, std::string>;
struct Expected {
    const char* name;
    Stored value;
};
std::vector<Expected> FreshUserKey(const std::string& home) {
    return {{"JPG File Name", home + "/ZelvoCam Temp.JPG"},
            {"Path", home + "/"},
            {"PassWord", std::string("None")},
            {"Interface", 1u},
            {"PanSetting", 0u},
            {"TiltSetting", 0u},
            {"ZoomSetting", 0u},
            {"ZoomPreset1", 0u},
            {"ZoomPreset2", 0u},
            {"ZoomPreset3", 0u},
            {"Zoom Position", 0u},
            {"AutoFocus", 1u},
            {"DefaultSharpness", 2u},
            {"DefaultRedPreviewOffset", 0u},
            {"DefaultBluePreviewOffset", 0u},
            {"DefaultRedFlashOffset", 0u},
            {"DefaultBlueFlashOffset", 0u},
            {"DefaultChromaPreviewLevel", 72u},
            {"DefaultChromaFlashLevel", 74u},
            {"DefaultAperature", 3u},
            {"DefaultFlashDelay", 500u},
            {"ChromaLevel", 72u},
            {"FlashChromaLevel", 74u},
            {"Top", 0u},
            {"Left", 0u},
            {"FlashIrisLevel", 17u},
            {"PreviewCapture", 1u},
            {"ZoomPreset", 0u},
            {"FlashCapture", 0u},
            {"Sharpness", 2u},
            {"RedPreviewOffset", 0u},
            {"RedFlashOffset", 0u},
            {"BluePreviewOffset", 0u},
            {"BlueFlashOffset", 0u},
            {"Brightness", 124u},
            {"Contrast", 64u},
            {"Aperature", 3u},
            {"PTZSpeed", 1u},
            {"CompressionLevel", 75u},
            {"CropSelect", 0u},
            {"m_LiveCapture", 1u},
            {"ZoomAutoPosition", 0u},
            {"AutoPositionEnabled", 0u},
            {"m_CalibrationError", 60u},
            {"m_PanReverse", 0u},
            {"m_TiltReverse", 0u},
            {"XCenterOffset", 0u},
            {"YCenterOffset", 0u},
            {"LockZoom", 0u},
            {"Lock Iris", 0u},
            {"Auto White", 0u},
            {"Red Lock Gain", 0u},
            {"Blue Lock Gain", 0u},
            {"Flash Color Correction", 1u},
            {"RedFlashCorrection", 0u},
            {"BlueFlashCorrection", 0u},
            {"RedLiveCorrection", 0u},
            {"BlueLiveCorrection", 0u},
            {"ColorCorrectionLock", 0u},
            {"Capture Type", 0u},
            {"Compression Factor", 10u},
            {"Save File Type", 1u},
            {"Horizontal_DPI", 96u},
            {"Vertical_DPI", 96u},
            {"RotationAngle", 0u},
            {"CropWidth", 624u},
            {"CropHeight", 468u}};
}

void ExpectKeyHolds(const RegistryKey& key, const std::vector<Expected>& expected) {
    ASSERT_EQ(key.Values().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const RegistryValue& v = key.Values()[i];
        const Expected& e = expected[i];
        EXPECT_EQ(v.name, e.name) << "value " << i;
        if (const auto* dword = std::get_if<uint32_t>(&e.value)) {
            EXPECT_EQ(v.type, REG_DWORD) << e.name;
            uint32_t stored = 0;
            EXPECT_TRUE(key.QueryDword(v.name, stored)) << e.name;
            EXPECT_EQ(stored, *dword) << e.name;
        } else {
            EXPECT_EQ(v.type, REG_SZ) << e.name;
            std::string stored;
            EXPECT_TRUE(key.QueryText(v.name, stored)) << e.name;
            EXPECT_EQ(stored, std::get<std::string>(e.value)) << e.name;
        }
    }
}

class Settings : public ::testing::Test {
  protected:
    // Nothing here simulates a power loss; the flushes would only make the tests slow.
    void SetUp() override { sys::SetFlushToDisk(false); }
    void TearDown() override { sys::SetFlushToDisk(true); }

    // Loads into a freshly constructed record, as the dialog's initialisation does.
    StationSettings Load(const LoadSettingsSteps& steps = {}) {
        StationSettings s;
        RegistryKey key(kStationSettingsKey);
        LoadSettings(s, key, kScreen, steps);
        return s;
    }
    void Store(std::string_view name, uint32_t value) {
        ASSERT_TRUE(RegistryKey(kStationSettingsKey).SetDword(name, value));
    }
    void StoreText(std::string_view name, std::string_view text) {
        ASSERT_TRUE(RegistryKey(kStationSettingsKey).SetText(name, text));
    }
    std::optional<uint32_t> StoredDword(std::string_view name) {
        uint32_t v = 0;
        if (!RegistryKey(kStationSettingsKey).QueryDword(name, v))
            return std::nullopt;
        return v;
    }

    TempConfigHome home_;
};

TEST_F(Settings, AFreshUserGetsEveryDefaultStoredAndLoaded) {
    const StationSettings s = Load();
    {
        RegistryKey key(kStationSettingsKey);
        ExpectKeyHolds(key, FreshUserKey(home_.Home().string()));
    }
    EXPECT_EQ(s.m_JpgFileName, home_.Home().string() + "/ZelvoCam Temp.JPG");
    EXPECT_EQ(s.m_Path, home_.Home().string() + "/");
    EXPECT_EQ(s.m_PassWord, "None");
    EXPECT_EQ(s.m_ChromaLevel, 72);  // defaults taken from earlier members
    EXPECT_EQ(s.m_FlashChromaLevel, 74);
    EXPECT_EQ(s.m_Aperature, 3);
    EXPECT_EQ(s.m_LiveCapture, 1);
    EXPECT_EQ(s.m_CalibrationError, 60);
    EXPECT_EQ(s.m_ScreenWidth, 1920);
    EXPECT_EQ(s.m_ScreenHeight, 1080);
    EXPECT_EQ(s.m_WindowLeft, 0);  // the window opens at the top-left corner
    EXPECT_EQ(s.m_WindowTop, 0);
    EXPECT_EQ((std::array{s.m_CropWidth, s.m_CropHeight, s.m_CropOffsetX, s.m_CropOffsetY}),
              (std::array{624, 468, 8, 6}));

    // The names written back differ from the names read, so the next start defaults them again
    // and nothing else changes.
    const std::string before = TempConfigHome::ReadFile(home_.StationKeyFile());
    EXPECT_EQ(Load(), s);
    EXPECT_EQ(TempConfigHome::ReadFile(home_.StationKeyFile()), before);
}

// Every replacement of the key file starts with a new temporary file in its folder. (The renames
// themselves all carry the key's name, and the kernel merges such events when they come close.)
class Replacements {
  public:
    explicit Replacements(const std::filesystem::path& folder)
        : watch_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
        std::filesystem::create_directories(folder);
        EXPECT_GE(::inotify_add_watch(watch_, folder.c_str(), IN_CREATE), 0);
    }
    ~Replacements() { ::close(watch_); }
    int Count() {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(watch_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n; ++count) {
                at +=
                    static_cast<ssize_t>(sizeof(inotify_event) +
                                         reinterpret_cast<const inotify_event*>(buffer + at)->len);
            }
        }
        return count;
    }

  private:
    int watch_;
};

TEST_F(Settings, AFirstStartAndEachSaveReplaceTheKeyFileOnce) {
    Replacements replacements(home_.StationKeyFile().parent_path());
    const StationSettings s = Load();  // 67 defaults written back
    EXPECT_EQ(replacements.Count(), 1);
    Load();  // only the three odd names again
    EXPECT_EQ(replacements.Count(), 1);
    {
        RegistryKey key(kStationSettingsKey);
        ASSERT_TRUE(SaveSettings(s, key));
        EXPECT_EQ(replacements.Count(), 1);
        ASSERT_TRUE(SaveSettings(s, key));
        EXPECT_EQ(replacements.Count(), 1);
    }
}

TEST_F(Settings, WithoutHomeTheDefaultPicturePathAndTheSettingsShareOneHomeFolder) {
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryKey::RootFolder(),
              std::filesystem::path(DefaultPath()) / ".config/zelvocam/registry");
    EXPECT_EQ(DefaultJpgFileName(), DefaultPath() + "ZelvoCam Temp.JPG");
}

TEST_F(Settings, ANewUserWhoseHomeEndsInASeparatorGetsNoDoubledSeparator) {
    ::setenv("HOME", "/home/ops/", 1);
    const StationSettings s = Load();
    EXPECT_EQ(s.m_Path, "/home/ops/");
    EXPECT_EQ(s.m_JpgFileName, "/home/ops/ZelvoCam Temp.JPG");
}

TEST_F(Settings, AKeyThatCannotBeOpenedGivesEveryDefault) {
    StationSettings s;
    RegistryKey closed;
    LoadSettings(s, closed, kScreen);
    EXPECT_EQ(s.m_Interface, 1);
    EXPECT_EQ(s.m_Brightness, 124);
    EXPECT_EQ(s.m_CropWidth, 624);
    EXPECT_FALSE(SaveSettings(s, closed));
    EXPECT_FALSE(std::filesystem::exists(home_.StationKeyFile()));
}

// ---- Stored values that are out of range or odd ----

struct OddCase {
    const char* label;
    const char* name;
    uint32_t stored;
    int32_t StationSettings::*member;
    int32_t loaded;
};
void PrintTo(const OddCase& c, std::ostream* os) {
    *os << c.label;
}

class OddValue : public Settings, public ::testing::WithParamInterface<OddCase> {};

TEST_P(OddValue, IsCheckedOnLoadButNotWrittenBack) {
    const OddCase& c = GetParam();
    Store(c.name, c.stored);
    EXPECT_EQ(Load().*c.member, c.loaded);
    EXPECT_EQ(StoredDword(c.name), c.stored);  // checks never write
}

using S = StationSettings;
INSTANTIATE_TEST_SUITE_P(
    Checks, OddValue,
    ::testing::Values(
        OddCase{"TopAboveTheScreen", "Top", static_cast<uint32_t>(-5), &S::m_WindowTop, 2},
        OddCase{"TopBelowTheScreen", "Top", 1081, &S::m_WindowTop, 1078},
        OddCase{"TopAtTheScreenEdge", "Top", 1080, &S::m_WindowTop, 1080},
        OddCase{"LeftOfTheScreen", "Left", static_cast<uint32_t>(-5), &S::m_WindowLeft, 0},
        OddCase{"RightOfTheScreen", "Left", 5000, &S::m_WindowLeft, 1910},
        OddCase{"CaptureTypeHandOff", "Capture Type", 5, &S::m_CaptureType, 0},
        OddCase{"CaptureType3", "Capture Type", 3, &S::m_CaptureType, 0},
        OddCase{"CaptureTypeBmp", "Capture Type", 2, &S::m_CaptureType, 2},
        OddCase{"LiveCapture7", "LiveCapture", 7, &S::m_LiveCapture, 1},
        OddCase{"LiveCaptureBest", "LiveCapture", 2, &S::m_LiveCapture, 2},
        OddCase{"ZoomPreset9", "ZoomPreset", 9, &S::m_ZoomPreset, 2},
        OddCase{"ZoomPresetManual", "ZoomPreset", 3, &S::m_ZoomPreset, 3},
        OddCase{"PreviewCaptureNone", "PreviewCapture", static_cast<uint32_t>(-1),
                &S::m_PreviewCapture, 1},
        OddCase{"FlashCapture2", "FlashCapture", 2, &S::m_FlashCapture, 1},
        OddCase{"Sharpness4", "Sharpness", 4, &S::m_Sharpness, 2},
        OddCase{"Aperature5", "Aperature", 5, &S::m_Aperature, 3},
        OddCase{"RotationAngle7Kept", "RotationAngle", 7, &S::m_RotationAngle, 7},
        OddCase{"ChromaFromStoredDefault", "DefaultChromaPreviewLevel", 80, &S::m_ChromaLevel, 80},
        OddCase{"SharpnessFromBadDefault", "DefaultSharpness", 9, &S::m_Sharpness, 2}),
    [](const auto& row) { return std::string(row.param.label); });

TEST_F(Settings, ValuesOfTheWrongShapeReadAsTheRegistryReadsThem) {
    RegistryKey key(kStationSettingsKey);
    const uint8_t twoBytes[] = {0x34, 0x12};
    const uint8_t fiveBytes[] = {1, 0, 0, 0, 0};
    ASSERT_TRUE(key.SetValue("Brightness", REG_BINARY, twoBytes));  // zero-extended
    ASSERT_TRUE(key.SetValue("Contrast", REG_BINARY, fiveBytes));   // too long: default
    ASSERT_TRUE(key.SetDword("RedFlashCorrection", 0x123456fb));    // low byte, signed
    ASSERT_TRUE(key.SetDword("BlueLiveCorrection", 0x7f));
    ASSERT_TRUE(key.SetText("PassWord", std::string(254, 'k')));
    ASSERT_TRUE(key.SetText("Path", std::string(299, 'p')));  // 300 bytes with its terminator
    key.Close();

    const StationSettings s = Load();
    EXPECT_EQ(s.m_Brightness, 0x1234);
    EXPECT_EQ(s.m_Contrast, 64);
    EXPECT_EQ(s.m_RedFlashCorrection, -5);
    EXPECT_EQ(s.m_BlueLiveCorrection, 127);
    EXPECT_EQ(s.m_PassWord, std::string(254, 'k'));
    EXPECT_EQ(s.m_Path, home_.Home().string() + "/");

    RegistryKey after(kStationSettingsKey);
    EXPECT_EQ(after.QueryValue("Contrast")->data, (std::vector<uint8_t>{64, 0, 0, 0}));
    std::string path;
    EXPECT_TRUE(after.QueryText("Path", path));
    EXPECT_EQ(path, home_.Home().string() + "/");
}

// ---- The crop rectangle ----

struct CropCase {
    const char* label;
    int32_t rotation;
    int32_t interface;
    std::optional<uint32_t> width, height;              // stored, or missing
    std::array<int32_t, 4> loaded;                      // width, height, offset x, offset y
    std::optional<uint32_t> widthStored, heightStored;  // in the key afterwards
};
void PrintTo(const CropCase& c, std::ostream* os) {
    *os << c.label;
}

class Crop : public Settings, public ::testing::WithParamInterface<CropCase> {};

TEST_P(Crop, FollowsTheRotation) {
    const CropCase& c = GetParam();
    Store("RotationAngle", static_cast<uint32_t>(c.rotation));
    Store("Interface", static_cast<uint32_t>(c.interface));
    if (c.width)
        Store("CropWidth", *c.width);
    if (c.height)
        Store("CropHeight", *c.height);

    StationSettings s;
    s.m_CropOffsetX = s.m_CropOffsetY = -77;  // a turned picture leaves them to the layout
    RegistryKey key(kStationSettingsKey);
    LoadSettings(s, key, kScreen);
    EXPECT_EQ((std::array{s.m_CropWidth, s.m_CropHeight, s.m_CropOffsetX, s.m_CropOffsetY}),
              c.loaded);
    EXPECT_EQ(StoredDword("CropWidth"), c.widthStored);
    EXPECT_EQ(StoredDword("CropHeight"), c.heightStored);
}

constexpr auto kMissing = std::nullopt;
INSTANTIATE_TEST_SUITE_P(
    Sizes, Crop,
    ::testing::Values(
        CropCase{"UprightMissing", 0, 1, kMissing, kMissing, {624, 468, 8, 6}, 624, 468},
        CropCase{"UprightCentred", 0, 1, 500, 300, {500, 300, 70, 90}, 500, 300},
        CropCase{"UprightTooNarrow", 0, 1, 50, 468, {100, 468, 295, 6}, 50, 468},
        CropCase{"UprightTooBig", 0, 1, 700, 500, {640, 480, 0, 0}, 700, 500},
        CropCase{"UprightOddDifference", 0, 1, 631, 11, {631, 11, 4, 234}, 631, 11},
        CropCase{"UprightNegative",
                 0,
                 1,
                 static_cast<uint32_t>(-1),
                 468,
                 {100, 468, 320, 6},
                 static_cast<uint32_t>(-1),
                 468},
        CropCase{"UprightHugeNegative",
                 0,
                 1,
                 static_cast<uint32_t>(INT_MIN),
                 468,
                 {100, 468, 1073742144, 6},
                 static_cast<uint32_t>(INT_MIN),
                 468},
        CropCase{"TurnedStandardMissing", 1, 1, kMissing, kMissing, {480, 600, -77, -77}, 480, 600},
        CropCase{"TurnedLawEnforcementMissing",
                 2,
                 0,
                 kMissing,
                 kMissing,
                 {468, 624, -77, -77},
                 468,
                 624},
        CropCase{"TurnedOtherInterfaceMissing",
                 1,
                 4,
                 kMissing,
                 kMissing,
                 {480, 600, -77, -77},
                 480,
                 600},
        CropCase{"UprightZeroHeightTakesTheDefault", 0, 1, 500, 0, {500, 468, 70, 6}, 500, 0},
        CropCase{"UprightNegativeHeightTakesTheDefault",
                 0,
                 1,
                 500,
                 static_cast<uint32_t>(INT_MIN),
                 {500, 468, 70, 6},
                 500,
                 static_cast<uint32_t>(INT_MIN)},
        CropCase{"TurnedZeroHeightStandard", 1, 1, 480, 0, {480, 600, -77, -77}, 480, 0},
        CropCase{"TurnedNegativeHeightLawEnforcement",
                 2,
                 0,
                 468,
                 static_cast<uint32_t>(-3000),
                 {468, 624, -77, -77},
                 468,
                 static_cast<uint32_t>(-3000)},
        CropCase{"TurnedTooWide", 1, 1, 500, 700, {480, 640, -77, -77}, 500, 700},
        CropCase{"TurnedTooNarrow", 1, 1, 50, 20, {100, 20, -77, -77}, 50, 20}),
    [](const auto& row) { return std::string(row.param.label); });

// ---- The two dialog steps inside loading ----

TEST_F(Settings, DialogStepsRunRightAfterTheirValues) {
    Store("FlashCapture", 1);
    Store("FlashIrisLevel", 23);
    Store("Sharpness", 1);
    Store("RotationAngle", 1);
    StationSettings s;
    s.m_Sharpness = -99;
    s.m_CropWidth = -99;
    RegistryKey key(kStationSettingsKey);
    int flashSteps = 0, rotationSteps = 0;
    LoadSettingsSteps steps;
    steps.afterFlashCapture = [&] {
        ++flashSteps;
        EXPECT_EQ(s.m_FlashCapture, 1);
        EXPECT_EQ(s.m_FlashIrisLevel, 23);
        EXPECT_EQ(s.m_Sharpness, -99);  // the next value is not read yet
        EXPECT_EQ(rotationSteps, 0);
    };
    steps.afterRotationAngle = [&] {
        ++rotationSteps;
        EXPECT_EQ(s.m_RotationAngle, 1);
        EXPECT_EQ(s.m_Sharpness, 1);
        EXPECT_EQ(s.m_CaptureType, 0);
        EXPECT_EQ(s.m_CropWidth, -99);  // the crop size comes after
    };
    LoadSettings(s, key, kScreen, steps);
    EXPECT_EQ(flashSteps, 1);
    EXPECT_EQ(rotationSteps, 1);
}

// ---- Saving ----

StationSettings OperatorsChoices() {
    StationSettings s;
    int32_t next = 11;
    // Every integer member gets its own value, then the checked ones a valid one.
    for (int32_t S::*m : {&S::m_Interface,
                          &S::m_PanSetting,
                          &S::m_TiltSetting,
                          &S::m_ZoomSetting,
                          &S::m_ZoomPreset1,
                          &S::m_ZoomPreset2,
                          &S::m_ZoomPreset3,
                          &S::m_ZoomPosition,
                          &S::m_AutoFocus,
                          &S::m_DefaultRedPreviewOffset,
                          &S::m_ChromaLevel,
                          &S::m_FlashChromaLevel,
                          &S::m_WindowTop,
                          &S::m_WindowLeft,
                          &S::m_FlashIrisLevel,
                          &S::m_RedPreviewOffset,
                          &S::m_RedFlashOffset,
                          &S::m_BluePreviewOffset,
                          &S::m_BlueFlashOffset,
                          &S::m_Brightness,
                          &S::m_Contrast,
                          &S::m_PTZSpeed,
                          &S::m_CompressionLevel,
                          &S::m_CropSelect,
                          &S::m_AutoPositionEnabled,
                          &S::m_PanReverse,
                          &S::m_TiltReverse,
                          &S::m_XCenterOffset,
                          &S::m_YCenterOffset,
                          &S::m_LockZoom,
                          &S::m_LockIris,
                          &S::m_AutoWhite,
                          &S::m_RedLockGain,
                          &S::m_BlueLockGain,
                          &S::m_FlashColorCorrection,
                          &S::m_ColorCorrectionLock,
                          &S::m_CompressionFactor,
                          &S::m_SaveFileType,
                          &S::m_FlashDelay}) {
        s.*m = next++;
    }
    s.m_XCenterOffset = -12;
    s.m_PreviewCapture = 0;
    s.m_ZoomPreset = 3;
    s.m_FlashCapture = 1;
    s.m_Sharpness = 3;
    s.m_Aperature = 4;
    s.m_LiveCapture = 2;
    s.m_CaptureType = 2;
    s.m_RotationAngle = 0;
    s.m_CropWidth = 500;
    s.m_CropHeight = 400;
    s.m_RedFlashCorrection = -50;
    s.m_BlueFlashCorrection = 50;
    s.m_RedLiveCorrection = -1;
    s.m_BlueLiveCorrection = -128;
    s.m_PassWord = "s\xe9same \"open\"\\";
    s.m_Path = "/srv/pictures/";
    s.m_AutoCorrectionFactor = 1.0f / 3.0f;
    return s;
}

TEST_F(Settings, SaveWritesTheFullListInOrder) {
    const StationSettings s = OperatorsChoices();
    {
        RegistryKey key(kStationSettingsKey);
        ASSERT_TRUE(SaveSettings(s, key));
    }
    const std::vector<Expected> expected = {{"Zoom Position", 18u},
                                            {"Interface", 11u},
                                            {"CropWidth", 500u},
                                            {"CropHeight", 400u},
                                            {"AutoFocus", 19u},
                                            {"FlashIrisLevel", 25u},
                                            {"Top", 23u},
                                            {"Left", 24u},
                                            {"FlashDelay", 49u},
                                            {"PreviewCapture", 0u},
                                            {"ZoomPreset", 3u},
                                            {"FlashCapture", 1u},
                                            {"Sharpness", 3u},
                                            {"RedPreviewOffset", 26u},
                                            {"RedFlashOffset", 27u},
                                            {"BluePreviewOffset", 28u},
                                            {"BlueFlashOffset", 29u},
                                            {"ChromaLevel", 21u},
                                            {"FlashChromaLevel", 22u},
                                            {"Brightness", 30u},
                                            {"Contrast", 31u},
                                            {"Aperature", 4u},
                                            {"PTZSpeed", 32u},
                                            {"CompressionLevel", 33u},
                                            {"CropSelect", 34u},
                                            {"PassWord", std::string("s\xe9same \"open\"\\")},
                                            {"LiveCapture", 2u},
                                            {"AutoCorrectionFactor", std::string("0.333333")},
                                            {"AutoPositionEnabled", 35u},
                                            {"Pan Reverse", 36u},
                                            {"Tilt Reverse", 37u},
                                            {"m_PanReverse", 36u},
                                            {"m_TiltReverse", 37u},
                                            {"XCenterOffset", uint32_t(-12)},
                                            {"YCenterOffset", 39u},
                                            {"Lock Zoom", 40u},
                                            {"Lock Iris", 41u},
                                            {"RotationAngle", 0u},
                                            {"Auto White", 42u},
                                            {"Red Lock Gain", 43u},
                                            {"Blue Lock Gain", 44u},
                                            {"DefaultRedPreviewOffset", 20u},
                                            {"Flash Color Correction", 45u},
                                            {"RedFlashCorrection", uint32_t(-50)},
                                            {"BlueFlashCorrection", 50u},
                                            {"RedLiveCorrection", uint32_t(-1)},
                                            {"BlueLiveCorrection", uint32_t(-128)},
                                            {"ColorCorrectionLock", 46u},
                                            {"Capture Type", 2u},
                                            {"Compression Factor", 47u},
                                            {"Path", std::string("/srv/pictures/")},
                                            {"Save File Type", 48u},
                                            {"TiltSetting", 13u},
                                            {"PanSetting", 12u},
                                            {"ZoomSetting", 14u},
                                            {"ZoomPreset1", 15u},
                                            {"ZoomPreset2", 16u},
                                            {"ZoomPreset3", 17u}};
    RegistryKey key(kStationSettingsKey);
    ExpectKeyHolds(key, expected);
}

TEST_F(Settings, SaveThenLoadGivesTheSameRecord) {
    const StationSettings fresh = Load();  // a first start puts every default in the key
    StationSettings saved = OperatorsChoices();
    {
        RegistryKey key(kStationSettingsKey);
        ASSERT_TRUE(SaveSettings(saved, key));
        ASSERT_TRUE(SaveSettings(saved, key));  // each host hide saves again; the same key results
        EXPECT_EQ(key.Values().size(), 67u + 6u);  // and the six names only saving uses
    }
    StationSettings expected = saved;
    // What is never saved comes back as the first start stored it.
    for (int32_t S::*m :
         {&S::m_DefaultSharpness, &S::m_DefaultBluePreviewOffset, &S::m_DefaultRedFlashOffset,
          &S::m_DefaultBlueFlashOffset, &S::m_DefaultChromaPreviewLevel,
          &S::m_DefaultChromaFlashLevel, &S::m_DefaultAperature, &S::m_DefaultFlashDelay,
          &S::m_ZoomAutoPosition, &S::m_CalibrationError, &S::m_HorizontalDPI, &S::m_VerticalDPI}) {
        expected.*m = fresh.*m;
    }
    expected.m_JpgFileName = fresh.m_JpgFileName;
    expected.m_FlashDelay = 0;
    expected.m_AutoCorrectionFactor = 0.0f;
    expected.m_ScreenWidth = kScreen.width;
    expected.m_ScreenHeight = kScreen.height;
    expected.m_CropOffsetX = 70;
    expected.m_CropOffsetY = 40;

    const StationSettings loaded = Load();
    EXPECT_EQ(loaded, expected);
    // The operator's reversal of pan and tilt survives the restart.
    EXPECT_EQ(loaded.m_PanReverse, 36);
    EXPECT_EQ(loaded.m_TiltReverse, 37);
}

}  // namespace
