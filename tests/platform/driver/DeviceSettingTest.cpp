// The ZELVOCAM_DEVICE value: which transport it names, every simulated-camera option it can
// carry, and the one-line errors for what it cannot.
#include <gtest/gtest.h>

#include "platform/driver/DeviceNodeTransport.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/driver/V4l2Transports.h"
#include "tests/support/RowName.h"

namespace {

using Kind = DeviceSetting::Kind;

struct KindCase {
    const char* name;
    const char* value;  // nullptr: not set
    Kind kind;
    const char* nodePath;
};

class DeviceSettingKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(DeviceSettingKind, NamesItsTransport) {
    const KindCase& c = GetParam();
    DeviceSetting setting;
    std::string error;
    ASSERT_TRUE(ParseDeviceSetting(c.value, setting, error)) << error;
    EXPECT_EQ(setting.kind, c.kind);
    EXPECT_EQ(setting.nodePath, c.nodePath);

    const std::unique_ptr<DriverTransport> transport = CreateDriverTransport(setting);
    ASSERT_NE(transport, nullptr);
    DriverTransport* t = transport.get();
    const std::pair<Kind, bool> built[] = {
        {Kind::kFirstNode, dynamic_cast<FirstCameraTransport*>(t) != nullptr},
        {Kind::kNodePath, dynamic_cast<DeviceNodeTransport*>(t) != nullptr},
        {Kind::kSimulated, dynamic_cast<SimulatedCamera*>(t) != nullptr},
        {Kind::kV4l2Path, dynamic_cast<v4l2::V4l2Camera*>(t) != nullptr},
        {Kind::kEmulatedV4l2, dynamic_cast<EmulatedV4l2Transport*>(t) != nullptr},
    };
    for (const auto& [kind, isIt] : built)
        EXPECT_EQ(isIt, kind == c.kind) << static_cast<int>(kind);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceSetting, DeviceSettingKind,
    ::testing::Values(KindCase{"Unset", nullptr, Kind::kFirstNode, ""},
                      KindCase{"Empty", "", Kind::kFirstNode, ""},
                      KindCase{"NodePath", "/dev/elsewhere", Kind::kNodePath, "/dev/elsewhere"},
                      KindCase{"PathThatStartsLikeSim", "simulator", Kind::kNodePath, "simulator"},
                      KindCase{"Sim", "sim", Kind::kSimulated, ""},
                      KindCase{"SimWithFaults", "sim:14,unplug-after=20s", Kind::kSimulated, ""},
                      KindCase{"V4l2Node", "v4l2:/dev/video2", Kind::kV4l2Path, "/dev/video2"},
                      KindCase{"EmulatedV4l2", "v4l2-sim:4,replug-after=2s", Kind::kEmulatedV4l2,
                               ""}),
    RowName{});

// The node a setting names is the node the transport opens, whatever the environment says.
TEST(DeviceSettingNode, GivenPathIsTheDeviceFound) {
    DeviceSetting setting;
    std::string error;
    ASSERT_TRUE(ParseDeviceSetting("/dev/elsewhere", setting, error));
    setenv(kDeviceEnvironmentVariable, "sim", 1);
    const auto transport = CreateDriverTransport(setting);
    unsetenv(kDeviceEnvironmentVariable);
    std::u16string path;
    ASSERT_TRUE(transport->EnumerateFirstDevice(path));
    EXPECT_EQ(path, u"/dev/elsewhere");
}

struct GoodSetting {
    const char* name;
    const char* value;
    uint16_t model;
    int64_t unplugAfterUs;
    double corrupt;
    bool silent;
    bool still = false;
    int64_t replugAfterUs = -1;
};

class SimulatedCameraSetting : public ::testing::TestWithParam<GoodSetting> {};

TEST_P(SimulatedCameraSetting, IsUnderstood) {
    const GoodSetting& s = GetParam();
    DeviceSetting setting;
    std::string error;
    ASSERT_TRUE(ParseDeviceSetting(s.value, setting, error)) << error;
    ASSERT_EQ(setting.kind, Kind::kSimulated);
    EXPECT_EQ(setting.simulated.model, s.model);
    EXPECT_EQ(setting.simulated.unplugAfterUs, s.unplugAfterUs);
    EXPECT_EQ(setting.simulated.replugAfterUs, s.replugAfterUs);
    EXPECT_DOUBLE_EQ(setting.simulated.corruptRate, s.corrupt);
    EXPECT_EQ(setting.simulated.silentHead, s.silent);
    EXPECT_EQ(setting.simulated.stillRoom, s.still);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceSetting, SimulatedCameraSetting,
    ::testing::Values(
        GoodSetting{"Plain", "sim", 14, -1, 0, false},
        GoodSetting{"Model2", "sim:2", 2, -1, 0, false},
        GoodSetting{"AnyModel", "sim:41", 41, -1, 0, false},
        GoodSetting{"Faults", "sim:14,unplug-after=20s,corrupt=0.05", 14, 20'000'000, 0.05, false},
        GoodSetting{"Milliseconds", "sim:8,unplug-after=250ms", 8, 250'000, 0, false},
        GoodSetting{"OptionsWithoutModel", "sim:silent-head,corrupt=1,seed=7", 14, -1, 1, true},
        GoodSetting{"StillRoom", "sim:8,still", 8, -1, 0, false, true},
        GoodSetting{"Replug", "sim:14,unplug-after=1s,replug-after=2s", 14, 1'000'000, 0, false,
                    false, 2'000'000}),
    RowName{});

struct BadSetting {
    const char* name;
    const char* value;
};

class SimulatedCameraBadSetting : public ::testing::TestWithParam<BadSetting> {};

TEST_P(SimulatedCameraBadSetting, IsAClearErrorAndNoTransport) {
    std::string error;
    EXPECT_EQ(CreateDriverTransport(GetParam().value, error), nullptr);
    EXPECT_NE(error.find("ZELVOCAM_DEVICE='"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceSetting, SimulatedCameraBadSetting,
    ::testing::Values(BadSetting{"EmptyAfterColon", "sim:"}, BadSetting{"TrailingComma", "sim:14,"},
                      BadSetting{"ModelTooLarge", "sim:70000"},
                      BadSetting{"NegativeModel", "sim:-3"},
                      BadSetting{"ShareAboveOne", "sim:14,corrupt=1.5"},
                      BadSetting{"DurationWithoutUnit", "sim:14,unplug-after=20"},
                      BadSetting{"UnknownOption", "sim:14,wobble=1"},
                      BadSetting{"FlagWithValue", "sim:14,silent-head=yes"},
                      BadSetting{"ModelNotFirst", "sim:corrupt=0.1,14"},
                      BadSetting{"Spaces", "sim: 14"}, BadSetting{"V4l2WithoutPath", "v4l2:"},
                      BadSetting{"UnknownUvcProfile", "v4l2-sim:7"}),
    RowName{});

TEST(DeviceSettingSimulated, OnlyASimValueBuildsTheSimulatedCamera) {
    std::string error;
    EXPECT_NE(CreateSimulatedCamera("sim:2", error), nullptr);
    EXPECT_EQ(CreateSimulatedCamera("simulator", error), nullptr);
    EXPECT_EQ(error, "ZELVOCAM_DEVICE='simulator' does not select the simulated camera");
}

}  // namespace
