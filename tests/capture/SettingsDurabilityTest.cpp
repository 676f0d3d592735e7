// Saving survives being killed at any moment: the key file always reads whole, holding either
// everything the interrupted save wrote or everything the save before it wrote. And a copy of
// the program that starts while another one saves leaves that save alone.
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "capture/StationSettings.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/AtomicFile.h"
#include "tests/support/TempConfigHome.h"

namespace {

using S = StationSettings;

template <typename T, typename... Members>
void SetEach(StationSettings& s, T value, Members... members) {
    ((s.*members = value), ...);
}

// Generation g of the operator's settings: every saved member says g in its own way.
StationSettings Generation(int32_t g) {
    StationSettings s;
    SetEach(s, g, &S::m_ZoomPosition, &S::m_Interface, &S::m_CropWidth, &S::m_CropHeight,
            &S::m_AutoFocus, &S::m_FlashIrisLevel, &S::m_WindowTop, &S::m_WindowLeft,
            &S::m_FlashDelay, &S::m_PreviewCapture, &S::m_ZoomPreset, &S::m_FlashCapture,
            &S::m_Sharpness, &S::m_RedPreviewOffset, &S::m_RedFlashOffset, &S::m_BluePreviewOffset,
            &S::m_BlueFlashOffset, &S::m_ChromaLevel, &S::m_FlashChromaLevel, &S::m_Brightness,
            &S::m_Contrast, &S::m_Aperature, &S::m_PTZSpeed, &S::m_CompressionLevel,
            &S::m_CropSelect, &S::m_LiveCapture, &S::m_AutoPositionEnabled, &S::m_PanReverse,
            &S::m_TiltReverse, &S::m_XCenterOffset, &S::m_YCenterOffset, &S::m_LockZoom,
            &S::m_LockIris, &S::m_RotationAngle, &S::m_AutoWhite, &S::m_RedLockGain,
            &S::m_BlueLockGain, &S::m_DefaultRedPreviewOffset, &S::m_FlashColorCorrection,
            &S::m_ColorCorrectionLock, &S::m_CaptureType, &S::m_CompressionFactor,
            &S::m_SaveFileType, &S::m_TiltSetting, &S::m_PanSetting, &S::m_ZoomSetting,
            &S::m_ZoomPreset1, &S::m_ZoomPreset2, &S::m_ZoomPreset3);
    SetEach(s, static_cast<int8_t>(g), &S::m_RedFlashCorrection, &S::m_BlueFlashCorrection,
            &S::m_RedLiveCorrection, &S::m_BlueLiveCorrection);
    // Texts of changing length, so a torn file could not pass for a whole one.
    s.m_PassWord = "pw" + std::to_string(g) + std::string(static_cast<size_t>(g % 37), '*');
    s.m_Path = "/pictures/" + std::to_string(g) + "/";
    s.m_AutoCorrectionFactor = static_cast<float>(g);
    return s;
}

// "ZoomPreset3" is saved last: it names the last save that finished.
int32_t LastFinishedGeneration(const RegistryKey& key) {
    uint32_t g = 0;
    EXPECT_TRUE(key.QueryDword("ZoomPreset3", g));
    return static_cast<int32_t>(g);
}

// The values generation g's save leaves, from a key in a folder of their own (no flushes: only
// the values matter).
std::vector<RegistryValue> SavedValues(int32_t g, const std::filesystem::path& folder) {
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    const bool flush = sys::FlushToDisk();
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    sys::SetFlushToDisk(false);
    RegistryKey key(kStationSettingsKey);
    SaveSettings(Generation(g), key);
    sys::SetFlushToDisk(flush);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    return key.Values();
}

bool SameValues(const std::vector<RegistryValue>& a, const std::vector<RegistryValue>& b) {
    return std::ranges::equal(a, b, [](const RegistryValue& x, const RegistryValue& y) {
        return std::tie(x.name, x.type, x.data) == std::tie(y.name, y.type, y.data);
    });
}

// Generation 0 saved without flushes, as the start of every run.
void SaveFirstGeneration() {
    sys::SetFlushToDisk(false);
    RegistryKey key(kStationSettingsKey);
    ASSERT_TRUE(SaveSettings(Generation(0), key));
}

[[noreturn]] void SaveForever() {
    RegistryKey key(kStationSettingsKey);
    for (int32_t g = LastFinishedGeneration(key) + 1;; ++g)
        SaveSettings(Generation(g), key);
}

// Waits for `count` steps of the writer in the key's folder: a temporary file created, written
// and closed, or renamed over the key. False when the writer stops moving.
bool AwaitWriterSteps(int watch, int count) {
    alignas(inotify_event) char buffer[4096];
    while (count > 0) {
        pollfd p{watch, POLLIN, 0};
        if (::poll(&p, 1, 10'000) != 1)
            return false;
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            --count;
        }
    }
    return true;
}

void DrainEvents(int watch) {
    for (pollfd p{watch, POLLIN, 0}; ::poll(&p, 1, 0) == 1;) {
        char drain[4096];
        if (::read(watch, drain, sizeof drain) <= 0)
            break;
    }
}

bool HasTemporaryFile(const std::filesystem::path& folder) {
    return std::ranges::any_of(std::filesystem::directory_iterator(folder), [](const auto& e) {
        return e.path().filename().string().find(".tmp.") != std::string::npos;
    });
}

// Kills a saving child `rounds` times, each time after a random number of its file steps, and
// checks the key after every kill. Returns how many kills left a temporary file behind, that
// is, landed inside a save.
int KillWhileSaving(TempConfigHome& home, int rounds, int maxSteps, uint32_t seed) {
    std::mt19937 random(seed);
    const std::filesystem::path folder = home.StationKeyFile().parent_path();
    int insideASave = 0;
    const int watch = ::inotify_init1(IN_CLOEXEC);
    EXPECT_GE(watch, 0);
    EXPECT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO),
              0);
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t child = ::fork();
        if (child == 0)
            SaveForever();
        EXPECT_GT(child, 0);
        EXPECT_TRUE(AwaitWriterSteps(watch, std::uniform_int_distribution(1, maxSteps)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        DrainEvents(watch);  // what the child did between the count and the kill
        insideASave += HasTemporaryFile(folder) ? 1 : 0;

        testing::internal::CaptureStderr();
        RegistryKey key(kStationSettingsKey);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(key.DamagedLines().empty());
        EXPECT_FALSE(key.FileSetAside());
        const std::vector<RegistryValue> stored = key.Values();
        const int32_t last = LastFinishedGeneration(key);
        key.Close();
        // "ZoomPreset3" names the save the file comes from; everything else must be from it too.
        EXPECT_TRUE(SameValues(stored, SavedValues(last, home.Root() / "scratch")))
            << "the key mixes generation " << last << " with another";
    }
    ::close(watch);
    return insideASave;
}

TEST(SettingsDurability, AKilledSaveLeavesTheWholeOldOrTheWholeNewSettings) {
    TempConfigHome home;
    // Without the flushes a save is quick, so many kills fit; a kill loses the same either way.
    ASSERT_NO_FATAL_FAILURE(SaveFirstGeneration());
    // A save is three steps: the temporary file created, closed, renamed over the key.
    const int fast = KillWhileSaving(home, 80, 3 * 3, 20261207);
    sys::SetFlushToDisk(true);
    // A few with the flushes, so kills land inside them too.
    const int flushed = KillWhileSaving(home, 6, 3 * 2, 7);
    // Some kills must land inside a save; if none did, the test proved nothing.
    EXPECT_GT(fast + flushed, 0);
    RecordProperty("KillsInsideASave", fast + flushed);
}

// The newer copy of the program opens the key while the older one, about to close, is in the
// middle of its save. The older one is stopped right after it created its temporary file, the
// newer one opens the key, and the older one goes on: its save must still succeed.
TEST(SettingsDurability, AStartWhileAnotherCopySavesLeavesThatSaveAlone) {
    TempConfigHome home;
    const std::filesystem::path folder = home.StationKeyFile().parent_path();
    ASSERT_NO_FATAL_FAILURE(SaveFirstGeneration());
    constexpr int kSaves = 40;
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // With the flushes each save stays in flight for a while, so most stops land inside one.
        sys::SetFlushToDisk(true);
        RegistryKey key(kStationSettingsKey);
        for (int32_t g = 1; g <= kSaves; ++g) {
            if (!SaveSettings(Generation(g), key))
                ::_exit(1);
        }
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    int caughtInFlight = 0;
    for (int save = 0; save < kSaves && AwaitWriterSteps(watch, 1); ++save) {
        ::kill(child, SIGSTOP);
        int status = 0;
        ::waitpid(child, &status, WUNTRACED);
        DrainEvents(watch);
        if (HasTemporaryFile(folder)) {
            ++caughtInFlight;
            testing::internal::CaptureStderr();
            RegistryKey newer(kStationSettingsKey);
            testing::internal::GetCapturedStderr();
        }
        ::kill(child, SIGCONT);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(watch);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save of the older copy failed";
    EXPECT_GT(caughtInFlight, 0);
    RecordProperty("StopsInsideASave", caughtInFlight);
    RegistryKey key(kStationSettingsKey);
    EXPECT_EQ(LastFinishedGeneration(key), kSaves);
}

}  // namespace
