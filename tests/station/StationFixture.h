// A main dialog on a scripted camera: the recording driver plays the camera head, the clock is
// virtual, message boxes, beeps and exits are recorded, and the settings live in a fresh key.
//
// The camera head's answers are set per test: the hand-shake answer to command 137, the focus
// mode to 170, the model number to 152 and the zoom position to 155. The record is the
// driver's register transcript in the station's words: "command 137 @ 550 ms" (a write of the
// command register), "A = 124" and "read A" (argument A), "B = 0" and "read B" (argument B).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "device/Camera.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Clock.h"
#include "platform/ui/ServiceRecorder.h"
#include "simulator/SimulatedCamera.h"
#include "station/DisplayWindow.h"
#include "station/MainDialog.h"
#include "tests/support/HeadWords.h"
#include "tests/support/RecordingDriver.h"

namespace station_test {

using zelvo_test::kArgARegister;
using zelvo_test::kArgBRegister;
using zelvo_test::kCommandRegister;

struct CameraHeadScript {
    int handshakeAnswerAfter = 1;  // the n-th command 137 is the first answered with 175; 0 never
    uint16_t focusAnswer = 2;      // answer to 170
    uint16_t model = 14;           // answer to 152
    uint16_t zoomPosition = 0;     // answer to 155
};

// The settings key as the station left it.
inline std::optional<uint32_t> StoredSetting(const char* name) {
    RegistryKey key(kStationSettingsKey);
    uint32_t value = 0;
    if (!key.QueryDword(name, value))
        return std::nullopt;
    return value;
}

class StationFixture : public testing::Test {
  protected:
    StationFixture() : scope_(clock_) {
        setenv("XDG_CONFIG_HOME", settingsDir_.path().toUtf8().constData(), 1);
        zelvo_test::SetSensorSize(driver_, 640, 480);
        driver_.onWrite = [this](zelvo_test::RecordingDriver& d, uint16_t reg, uint16_t value) {
            if (reg != kCommandRegister)
                return;
            switch (value) {
                case 137:
                    ++handshakes_;
                    d.registers[kArgBRegister] = script_.handshakeAnswerAfter != 0 &&
                                                         handshakes_ >= script_.handshakeAnswerAfter
                                                     ? 175
                                                     : 0;
                    break;
                case 170:
                    d.registers[kArgARegister] = script_.focusAnswer;
                    break;
                case 152:
                    d.registers[kArgARegister] = script_.model;
                    break;
                case 155:
                    d.registers[kArgARegister] = script_.zoomPosition;
                    break;
                default:
                    break;
            }
        };
        InstallDriverTransport(&driver_);
    }

    ~StationFixture() override {
        dlg_.reset();
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    CTRIPOD01Dlg& Dialog() {
        if (!dlg_)
            dlg_ = std::make_unique<CTRIPOD01Dlg>();
        return *dlg_;
    }

    // Runs initialisation; the record starts at the first request after the camera is opened.
    bool Start() { return Dialog().OnInitDialog(); }

    // The register record from the station's first own request after OpenCamera (the write of
    // property 25), in the station's words.
    std::vector<std::string> StationRecord() const {
        std::vector<std::string> all = driver_.RegisterTranscript();
        size_t first = 0;
        while (first < all.size() && all[first].rfind("write reg 23 = 1 ", 0) != 0)
            ++first;
        std::vector<std::string> record;
        for (size_t i = first; i < all.size(); ++i)
            record.push_back(InStationWords(all[i]));
        return record;
    }

    static std::string InStationWords(const std::string& line) {
        return zelvo_test::InHeadWords(line);
    }

  public:
    static std::optional<uint32_t> StoredDword(const char* name) { return StoredSetting(name); }

  protected:
    QTemporaryDir settingsDir_;
    sys::VirtualClock clock_;
    sys::ScopedClock scope_;
    zelvo_test::RecordingDriver driver_;
    ui::ServiceRecorder services_;
    CameraHeadScript script_;
    int handshakes_ = 0;
    std::unique_ptr<CTRIPOD01Dlg> dlg_;
};

// A main dialog on a camera that makes real frames (the simulated camera, an emulated one) with a
// virtual clock, its settings and hand-off folder in a fresh folder; the cameras outlive it.
class LiveStation : public testing::Test {
  protected:
    LiveStation() : scope_(clock_) {
        setenv("XDG_CONFIG_HOME", dir_.path().toUtf8().constData(), 1);
        setenv("XDG_DATA_HOME", dir_.path().toUtf8().constData(), 1);
    }
    ~LiveStation() override {
        dlg_.reset();
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    // The simulated camera a setting asks for, kept until the station has closed it.
    SimulatedCamera& Camera(const char* setting) {
        std::string error;
        auto camera = CreateSimulatedCamera(setting, error);
        EXPECT_NE(camera, nullptr) << error;
        return Keep(std::move(camera));
    }
    template <class Transport>
    Transport& Keep(std::unique_ptr<Transport> transport) {
        Transport& kept = *transport;
        transports_.push_back(std::move(transport));
        return kept;
    }

    // Starts the station on `transport`; with `tick`, the first tick makes the preview window.
    void Start(DriverTransport& transport, bool tick = true) {
        InstallDriverTransport(&transport);
        dlg_ = std::make_unique<CTRIPOD01Dlg>();
        ASSERT_TRUE(dlg_->OnInitDialog());
        if (tick) {
            dlg_->OnTimer(kPreviewTimer);
            ASSERT_NE(dlg_->m_hPreviewWnd, nullptr);
            ASSERT_NE(dlg_->m_hPreviewWnd->m_pBits, nullptr);
        }
    }

    // One preview tick after the next frame time, then the window as painted.
    QImage TickAndGrab() {
        clock_.AdvanceMs(40);
        dlg_->OnTimer(kPreviewTimer);
        return Painted();
    }
    QImage Painted() const {
        return dlg_->m_hPreviewWnd->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir_;
    sys::VirtualClock clock_;
    sys::ScopedClock scope_;
    ui::ServiceRecorder services_;
    std::vector<std::unique_ptr<DriverTransport>> transports_;
    std::unique_ptr<CTRIPOD01Dlg> dlg_;
};

}  // namespace station_test
