// Atomic file replacement as a picture writer or the settings store sees it, the non-blocking
// whole-file read, the clean-up of left-over temporary files, and the home folder.
#include "platform/system/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/system/Folders.h"
#include "tests/support/RowName.h"
#include "tests/support/TempConfigHome.h"

namespace {

int Mode(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

class UmaskScope {
  public:
    explicit UmaskScope(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskScope() { ::umask(old_); }

  private:
    mode_t old_;
};

struct ModeCase {
    const char* name;
    mode_t requested;
    mode_t umask;
    int created;
};

class ReplaceMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ReplaceMode, IsTheRequestedModeLessTheUmask) {
    const ModeCase& c = GetParam();
    TempConfigHome home;
    const auto file = home.Root() / "picture.bmp";
    UmaskScope mask(c.umask);
    std::string error;
    ASSERT_TRUE(sys::ReplaceFileAtomically(file, "BM", c.requested, error)) << error;
    EXPECT_EQ(Mode(file), c.created);
    EXPECT_EQ(TempConfigHome::ReadFile(file), "BM");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ReplaceMode,
    ::testing::Values(ModeCase{"PrivateFile", sys::kPrivateFileMode, 022, 0600},
                      ModeCase{"PrivateFileUnderAnOpenUmask", sys::kPrivateFileMode, 0, 0600},
                      ModeCase{"PictureUsualUmask", sys::kOrdinaryFileMode, 022, 0644},
                      ModeCase{"PictureSharedGroup", sys::kOrdinaryFileMode, 002, 0664},
                      ModeCase{"PictureStrictUmask", sys::kOrdinaryFileMode, 077, 0600}),
    RowName{});

TEST(ReplaceFile, ASymbolicLinkAtThePathIsReplacedNotWrittenThrough) {
    TempConfigHome home;
    const auto elsewhere = home.Root() / "elsewhere.txt";
    const auto file = home.Root() / "ZelvoCam_Temp.bmp";
    TempConfigHome::WriteFile(elsewhere, "precious");
    std::filesystem::create_symlink(elsewhere, file);
    std::string error;
    ASSERT_TRUE(sys::ReplaceFileAtomically(file, "new picture", sys::kPrivateFileMode, error));
    EXPECT_FALSE(std::filesystem::is_symlink(file));
    EXPECT_EQ(TempConfigHome::ReadFile(file), "new picture");
    EXPECT_EQ(TempConfigHome::ReadFile(elsewhere), "precious");
}

TEST(ReplaceFile, AFailedReplacementLeavesWhatIsThereAndNoTemporaryFile) {
    TempConfigHome home;
    const auto folder = home.Root() / "pictures";
    const auto file = folder / "Visitor.JPG";
    std::filesystem::create_directories(file);  // a folder where the picture goes
    std::string error;
    EXPECT_FALSE(sys::ReplaceFileAtomically(file, "x", sys::kOrdinaryFileMode, error));
    EXPECT_NE(error, "");
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(ReadWholeFile, ANamedPipeAtThePathFailsAtOnceInsteadOfWaitingForAWriter) {
    TempConfigHome home;
    const auto fifo = home.Root() / "key.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] {
        std::string contents, error;
        return sys::ReadWholeFile(fifo, 1 << 20, contents, error);
    });
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the read waits for a writer";
        // Let the blocked open go, so the test can end.
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(read.get(), sys::ReadResult::kFailed);
}

TEST(ReadWholeFile, RefusesAFileOverTheLimit) {
    TempConfigHome home;
    const auto file = home.Root() / "key.reg";
    TempConfigHome::WriteFile(file, std::string(101, 'x'));
    std::string contents, error;
    EXPECT_EQ(sys::ReadWholeFile(file, 101, contents, error), sys::ReadResult::kRead);
    EXPECT_EQ(contents.size(), 101u);
    EXPECT_EQ(sys::ReadWholeFile(file, 100, contents, error), sys::ReadResult::kTooLarge);
}

// A temporary file a writer holds (its flock) is that writer's save in flight; one nobody holds
// is left from a writer that was killed.
TEST(TemporaryFiles, OnlyThoseNoWriterHoldsAreRemoved) {
    TempConfigHome home;
    const auto file = home.Root() / "ZelvoCam USB.reg";
    const std::string prefix = sys::TemporaryFilePrefix(file);
    const auto stale = home.Root() / (prefix + "Ab12Cd");
    const auto inFlight = home.Root() / (prefix + "Zz98Yx");
    const auto unrelated = home.Root() / "ZelvoCam USB.reg.damaged";
    for (const auto& p : {stale, inFlight, unrelated})
        TempConfigHome::WriteFile(p, "REGEDIT4\n");
    const int held = ::open(inFlight.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    sys::RemoveStaleTemporaryFiles(file);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(inFlight));
    EXPECT_TRUE(std::filesystem::exists(unrelated));

    ::close(held);  // the writer died
    sys::RemoveStaleTemporaryFiles(file);
    EXPECT_FALSE(std::filesystem::exists(inFlight));
}

TEST(HomeFolder, IsHomeWhenAbsoluteAndTheAccountsFolderOtherwise) {
    TempConfigHome home;
    EXPECT_EQ(sys::HomeFolder(), home.Home());
    ::unsetenv("HOME");
    const std::filesystem::path account = sys::HomeFolder();
    EXPECT_TRUE(account.is_absolute());
    for (const char* value : {"", "relative/home"}) {
        ::setenv("HOME", value, 1);
        EXPECT_EQ(sys::HomeFolder(), account) << value;
    }
}

}  // namespace
