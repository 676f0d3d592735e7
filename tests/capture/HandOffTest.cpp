// The hand-off folder's checks, on real folders: made private when missing or open to others,
// refused when it is a symbolic link or not a folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "capture/HandOff.h"
#include "tests/support/RowName.h"
#include "tests/support/TempConfigHome.h"

namespace {

struct FolderRow {
    const char* name;
    const char* existing;  // shell command run in the parent folder first
    bool usable;
};

class HandOffFolderCheck : public testing::TestWithParam<FolderRow> {};

TEST_P(HandOffFolderCheck, IsMadePrivateOrRefused) {
    TempConfigHome home;
    const std::filesystem::path& parent = home.Root();
    ASSERT_EQ(std::system(("cd " + parent.string() + " && " + GetParam().existing).c_str()), 0);
    const std::filesystem::path folder = parent / "data" / "zelvocam";
    std::string error;
    EXPECT_EQ(PrepareHandOffFolder(folder, error), GetParam().usable) << error;
    struct stat info {};
    ASSERT_EQ(lstat(folder.c_str(), &info), 0);
    if (GetParam().usable) {
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    } else {
        EXPECT_FALSE(error.empty());
        // Whatever a link points at keeps its mode: nothing was followed.
        struct stat target {};
        if (stat((parent / "elsewhere").c_str(), &target) == 0) {
            EXPECT_EQ(target.st_mode & 0777, 0777u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HandOffFolderCheck,
    testing::Values(FolderRow{"MadeWithItsParents", "true", true},
                    FolderRow{"OpenToEveryoneIsMadePrivate", "mkdir -p -m 777 data/zelvocam", true},
                    FolderRow{
                        "SymbolicLinkIsRefused",
                        "mkdir -m 777 elsewhere && mkdir data && ln -s ../elsewhere data/zelvocam",
                        false},
                    FolderRow{"PlainFileIsRefused", "mkdir data && touch data/zelvocam", false}),
    RowName{});

}  // namespace
