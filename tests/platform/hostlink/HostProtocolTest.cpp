// The host line protocol without sockets: how paths and reasons are escaped into notification
// lines and read back by a host, and the fuzz corpus replayed through both ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/HostLinePipeline.h"
#include "platform/hostlink/HostProtocol.h"
#include "tests/support/RowName.h"

namespace {

using hostlink::Notice;

struct EscapeRow {
    const char* name;
    std::string text;
    std::string escaped;
};

class Escaping : public testing::TestWithParam<EscapeRow> {};

// The text goes out as one line, and the host reads back the very text, however the line
// reaches it.
TEST_P(Escaping, TextTravelsAsOneLineAndComesBackWhole) {
    const EscapeRow& row = GetParam();
    EXPECT_EQ(hostlink::EscapeLineText(row.text), row.escaped);
    const std::string line = hostlink::NotificationLine(Notice::kStored, row.text) + "\n";
    const std::vector<std::string> lines =
        fuzzing::CutLines(line, 3, hostlink::kMaxNotificationBytes);
    ASSERT_EQ(lines.size(), 1u);
    const auto notification = hostlink::ParseNotification(lines[0]);
    ASSERT_TRUE(notification);
    EXPECT_EQ(notification->notice, Notice::kStored);
    EXPECT_EQ(notification->text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Escaping,
    testing::Values(
        EscapeRow{"PlainPathWithSpaces", "/home/a b/Visitor.JPG", "/home/a b/Visitor.JPG"},
        EscapeRow{"Utf8StaysAsItIs", "/data/Bj\xc3\xb6rk.BMP", "/data/Bj\xc3\xb6rk.BMP"},
        EscapeRow{"NewlineCannotForgeClosed", "/data/x\nclosed\n.JPG", "/data/x\\nclosed\\n.JPG"},
        EscapeRow{"CarriageReturnAndTab", "/a\r\tb", "/a\\r\\tb"},
        EscapeRow{"Backslash", "C:\\ZelvoCam Temp.JPG", "C:\\\\ZelvoCam Temp.JPG"},
        EscapeRow{"BackslashBeforeN", "/a\\n", "/a\\\\n"},
        EscapeRow{"OtherControlBytes", std::string("/\x01\x1b\x7f\0z", 6),
                  "/\\x01\\x1b\\x7f\\x00z"}),
    RowName{});

TEST(Notifications, LinesAHostCannotTrustAreNotTakenForNotifications) {
    const std::string refused[] = {
        "closed now",     "stored /a\\",    "stored /a\\q", "stored /a\\x4", "stored /a\\x41",
        "stored /a\\x0a", "stored /a\\x0A", "failed a\tb",  "storedX /a",    "shown",
    };
    for (const std::string& line : refused)
        EXPECT_FALSE(hostlink::ParseNotification(line)) << line;

    const auto failed = hostlink::ParseNotification("failed cannot write /a\\\\b: disk full");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->notice, Notice::kFailed);
    EXPECT_EQ(failed->text, "cannot write /a\\b: disk full");
    EXPECT_EQ(hostlink::NotificationLine(Notice::kStored, ""), "stored");  // the clipboard
    EXPECT_EQ(hostlink::NotificationLine(Notice::kClosed), "closed");
}

TEST(HostLineCorpus, EveryInputKeepsTheProtocolsProperties) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZELVOCAM_HOSTLINE_CORPUS)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
        EXPECT_TRUE(fuzzing::RunHostLines(bytes)) << entry.path().filename();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
