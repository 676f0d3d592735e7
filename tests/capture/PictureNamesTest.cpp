// Picture file names: the fixed name's files, typed names and their refusals, and folders.
#include "capture/PictureNames.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct FixedRow {
    const char* name;
    int captureType;
    const char* fixedName;
    std::optional<std::string> file;
};

class FixedPictureFileTest : public testing::TestWithParam<FixedRow> {};

TEST_P(FixedPictureFileTest, FileWritten) {
    EXPECT_EQ(FixedPictureFile(GetParam().captureType, GetParam().fixedName), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FixedPictureFileTest,
    testing::Values(
        FixedRow{"JpegAsItStands", 1, "/home/op/ZelvoCam Temp.JPG", "/home/op/ZelvoCam Temp.JPG"},
        FixedRow{"BmpReplacesTheExtension", 2, "/home/op/ZelvoCam Temp.JPG",
                 "/home/op/ZelvoCam Temp.BMP"},
        FixedRow{"OnlyTheLastExtension", 2, "/pics/face.old.jpg", "/pics/face.old.BMP"},
        FixedRow{"DotInAFolderIsNoExtension", 2, "/data/my.pics/face", "/data/my.pics/face.BMP"},
        FixedRow{"HiddenFileKeepsItsName", 2, "/data/.face", "/data/.face.BMP"},
        FixedRow{"NoFolder", 2, "face.jpg", "face.BMP"},
        FixedRow{"HostHandOffNamesLikeBmp", 5, "/pics/a.jpg", "/pics/a.BMP"},
        FixedRow{"EmptyNameIsNoFile", 2, "", std::nullopt},
        FixedRow{"EmptyJpegNameIsNoFile", 1, "", std::nullopt},
        FixedRow{"FolderIsNoFile", 1, "/data/", std::nullopt}),
    RowName{});

struct TypedRow {
    const char* name;
    std::string typed;
    int captureType;
    const char* problem;  // "" when accepted
    const char* kept;     // the name once its extension is removed
};

class TypedFileNameTest : public testing::TestWithParam<TypedRow> {};

TEST_P(TypedFileNameTest, ProblemAndNameKept) {
    const TypedRow& row = GetParam();
    EXPECT_EQ(TypedFileNameProblem(row.typed, row.captureType), row.problem);
    if (*row.problem == '\0') {
        EXPECT_EQ(RemoveExtension(row.typed), row.kept);
    }
}

const std::string kLongest(251, 'x');  // with ".JPG": 255 bytes

INSTANTIATE_TEST_SUITE_P(
    Rows, TypedFileNameTest,
    testing::Values(
        TypedRow{"Plain", "Visitor", 1, "", "Visitor"},
        TypedRow{"ExtensionRemoved", "Visitor.jpeg", 1, "", "Visitor"},
        TypedRow{"LastExtensionOnly", "a.b.c", 2, "", "a.b"},
        TypedRow{"SpacesAndUtf8", "Jos\xC3\xA9 Mart\xC3\xADn", 1, "", "Jos\xC3\xA9 Mart\xC3\xADn"},
        TypedRow{"LongestThatFits", kLongest, 1, "", kLongest.c_str()},
        TypedRow{"Slash", "../../etc/passwd", 1, "A file name cannot contain \"/\".", ""},
        TypedRow{"Tab", "a\tb", 1, "A file name cannot contain control characters.", ""},
        TypedRow{"Delete", "a\x7F", 1, "A file name cannot contain control characters.", ""},
        TypedRow{"OnlyAnExtension", ".jpg", 1, "Please enter a name before the extension.", ""},
        TypedRow{"Dot", "..", 1, "\".\" and \"..\" cannot be used as file names.", ""},
        TypedRow{"DotDot", "...jpg", 1, "\".\" and \"..\" cannot be used as file names.", ""},
        TypedRow{"TooLong", kLongest + "y", 2, "The file name is too long.", ""}),
    RowName{});

TEST(PictureFolders, JoinedWithOneSlashAndCutAtTheLastOne) {
    EXPECT_EQ(JoinFolderAndName("/photos/", "Visitor.JPG"), "/photos/Visitor.JPG");
    EXPECT_EQ(JoinFolderAndName("/photos", "Visitor.JPG"), "/photos/Visitor.JPG");
    EXPECT_EQ(FolderOfFile("/photos/x.jpg"), "/photos/");
    EXPECT_EQ(FolderOfFile("/x.jpg"), "/");
    EXPECT_EQ(FolderOfFile("x.jpg"), "");
}

}  // namespace
