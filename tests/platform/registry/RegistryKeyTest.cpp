// The registry key file: where it lives, what its text looks like, the registry's query rules,
// and how a damaged file is survived.
#include "platform/registry/RegistryKey.h"

#include <sys/stat.h>

#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry/RegFileFormat.h"
#include "tests/support/RowName.h"
#include "tests/support/TempConfigHome.h"

namespace {

constexpr char kKey[] = "Software\\ZelvoCam USB";
constexpr char kHeader[] = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\ZelvoCam USB]\n";

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}
std::vector<uint8_t> Sz(std::string_view s) {
    std::vector<uint8_t> b = Bytes(s);
    b.push_back(0);
    return b;
}

std::optional<uint32_t> Dword(const RegistryKey& key, std::string_view name) {
    uint32_t value = 0;
    return key.QueryDword(name, value) ? std::optional(value) : std::nullopt;
}

// What `run` writes to stderr.
template <typename Run>
std::string Stderr(Run run) {
    testing::internal::CaptureStderr();
    run();
    return testing::internal::GetCapturedStderr();
}

int Mode(const std::filesystem::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// ---- Each type's line, and that reading it back gives the same type and bytes ----

struct LineCase {
    const char* name;
    std::string valueName;
    uint32_t type;
    std::vector<uint8_t> data;
    const char* line;  // as it appears in the file
};

class ValueLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ValueLine, IsWrittenAsExpectedAndReadsBackExactly) {
    const LineCase& c = GetParam();
    TempConfigHome home;
    ASSERT_TRUE(RegistryKey(kKey).SetValue(c.valueName, c.type, c.data));
    const std::string file = TempConfigHome::ReadFile(home.StationKeyFile());
    EXPECT_NE(file.find(std::string("\n") + c.line + "\n"), std::string::npos) << file;

    RegistryKey reopened(kKey);
    EXPECT_TRUE(reopened.DamagedLines().empty());
    const auto v = reopened.QueryValue(c.valueName);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
}

const LineCase kLines[] = {
    {"Dword", "Brightness", REG_DWORD, {0x7c, 0, 0, 0}, R"("Brightness"=dword:0000007c)"},
    {"NegativeDword", "Top", REG_DWORD, {0xfb, 0xff, 0xff, 0xff}, R"("Top"=dword:fffffffb)"},
    {"TextWithEscapes", "Path", REG_SZ, Sz(R"(C:\a "b"\)"), R"("Path"="C:\\a \"b\"\\")"},
    {"EmptyText", "PassWord", REG_SZ, Sz(""), R"("PassWord"="")"},
    {"EightBitText", "Name", REG_SZ, Sz("Jos\xe9"), "\"Name\"=\"Jos\xe9\""},
    {"Binary", "Blob", REG_BINARY, {0x00, 0x01, 0xff}, R"("Blob"=hex:00,01,ff)"},
    {"EmptyBinary", "Blob", REG_BINARY, {}, R"("Blob"=hex:)"},
    {"ShortDword", "Odd", REG_DWORD, {0x01, 0x02}, R"("Odd"=hex(4):01,02)"},
    {"TextWithoutTerminator", "Factor", REG_SZ, Bytes("1.5"), R"("Factor"=hex(1):31,2e,35)"},
    {"TextOverTwoLines", "Note", REG_SZ, Sz("a\nb"), R"("Note"=hex(1):61,0a,62,00)"},
    {"OtherType", "Multi", 7, {0x61, 0, 0}, R"("Multi"=hex(7):61,00,00)"},
    {"QuotedName", R"(say "hi"\)", REG_DWORD, {1, 0, 0, 0}, R"("say \"hi\"\\"=dword:00000001)"},
    {"DefaultValue", "", REG_SZ, Sz("x"), R"(@="x")"},
};
INSTANTIATE_TEST_SUITE_P(Types, ValueLine, ::testing::ValuesIn(kLines), RowName{});

// ---- The file ----

TEST(RegistryKeyFile, IsPrivateAndHoldsValuesInFirstWrittenOrder) {
    TempConfigHome home;
    RegistryKey key(kKey);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.FilePath(), home.StationKeyFile());
    ASSERT_TRUE(key.SetDword("Top", 124));
    ASSERT_TRUE(key.SetText("Path", "/srv/"));
    ASSERT_TRUE(key.SetDword("top", 5));  // names ignore case; the first spelling stays

    EXPECT_EQ(TempConfigHome::ReadFile(home.StationKeyFile()),
              kHeader + std::string("\"Top\"=dword:00000005\n\"Path\"=\"/srv/\"\n"));
    EXPECT_EQ(Mode(home.StationKeyFile()), 0600);
    for (const char* folder :
         {"config/zelvocam", "config/zelvocam/registry", "config/zelvocam/registry/Software"})
        EXPECT_EQ(Mode(home.Root() / folder), 0700) << folder;
    // Nothing but the key file is left in its folder.
    const std::filesystem::directory_iterator folder(home.StationKeyFile().parent_path());
    EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);
}

TEST(RegistryKeyFile, FallsBackToDotConfigWithoutAnAbsoluteXdgFolder) {
    TempConfigHome home;
    for (const char* xdg : {"", "relative/config"}) {
        ::setenv("XDG_CONFIG_HOME", xdg, 1);
        EXPECT_EQ(RegistryKey::RootFolder(), home.Home() / ".config/zelvocam/registry") << xdg;
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryKey::RootFolder(), home.Home() / ".config/zelvocam/registry");
}

TEST(RegistryKeyFile, RefusesKeyPathsThatLeaveTheRegistryFolder) {
    TempConfigHome home;
    for (const char* path : {"", "..\\escape", "Software\\..\\..\\x", "Software\\", "\\Software",
                             "a/b", "Software\\.\\x"}) {
        RegistryKey key;
        EXPECT_FALSE(key.Open(path)) << path;
        EXPECT_FALSE(key.SetDword("Top", 1)) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(home.Root() / "config/zelvocam/escape.reg"));
    EXPECT_FALSE(std::filesystem::exists(home.Root() / "x.reg"));
}

TEST(RegistryKeyFile, LeftoversOfAnInterruptedWriteAreRemovedOnOpen) {
    TempConfigHome home;
    { RegistryKey(kKey).SetDword("Top", 1); }
    const auto leftover = home.StationKeyFile().parent_path() / "ZelvoCam USB.reg.tmp.Ab12Cd";
    TempConfigHome::WriteFile(leftover, "REGEDIT4\n\"Top\"=dword:000");
    RegistryKey key(kKey);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(Dword(key, "Top"), 1u);
}

// A folder or a named pipe where the file goes: the key opens at once (a pipe never makes it
// wait for a writer), stays closed and leaves the thing alone.
TEST(RegistryKeyFile, AFileThatCannotBeReadIsNeverWrittenOver) {
    for (const bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "named pipe" : "folder");
        TempConfigHome home;
        if (pipe) {
            std::filesystem::create_directories(home.StationKeyFile().parent_path());
            ASSERT_EQ(::mkfifo(home.StationKeyFile().c_str(), 0600), 0);
        } else {
            std::filesystem::create_directories(home.StationKeyFile());
        }
        std::optional<RegistryKey> key;
        EXPECT_NE(Stderr([&] { key.emplace(kKey); }), "");
        EXPECT_FALSE(key->IsOpen());
        EXPECT_FALSE(key->SetDword("Top", 1));
        EXPECT_EQ(std::filesystem::status(home.StationKeyFile()).type(),
                  pipe ? std::filesystem::file_type::fifo : std::filesystem::file_type::directory);
    }
}

// ---- Batches ----

TEST(RegistryKeyBatch, ValuesSetInABatchReachTheFileTogetherAtTheCommit) {
    TempConfigHome home;
    RegistryKey key(kKey);
    ASSERT_TRUE(key.SetDword("Top", 1));
    const std::string before = TempConfigHome::ReadFile(home.StationKeyFile());
    key.BeginBatch();
    EXPECT_TRUE(key.SetDword("top", 2));
    EXPECT_TRUE(key.SetText("Path", "/srv/"));
    EXPECT_EQ(Dword(key, "Top"), 2u);  // seen at once
    EXPECT_EQ(TempConfigHome::ReadFile(home.StationKeyFile()), before);
    ASSERT_TRUE(key.CommitBatch());
    EXPECT_EQ(TempConfigHome::ReadFile(home.StationKeyFile()),
              kHeader + std::string("\"Top\"=dword:00000002\n\"Path\"=\"/srv/\"\n"));
}

// ---- Size ----

// A key file of `values` DWORD lines, `bytes` long in all (padded in the last value's name).
std::string KeyFileOfSize(size_t values, size_t bytes) {
    std::string text = kHeader;
    char line[64];
    for (size_t i = 0; i + 1 < values; ++i) {
        std::snprintf(line, sizeof line, "\"Value %zu\"=dword:%08zx\n", i, i);
        text += line;
    }
    const std::string tail = "\"Last\"=dword:00000001\n";
    text += "\"" + std::string(bytes - text.size() - tail.size(), 'p') + tail.substr(1);
    return text;
}

TEST(RegistryKeyDamage, AFileOverOneMebibyteIsKeptAsideAndOneAtTheLimitReadsWhole) {
    for (const size_t size : {size_t{1} << 20, (size_t{1} << 20) + 1}) {
        SCOPED_TRACE(size);
        TempConfigHome home;
        const std::string text = KeyFileOfSize(30000, size);
        ASSERT_EQ(text.size(), size);
        TempConfigHome::WriteFile(home.StationKeyFile(), text);
        std::optional<RegistryKey> key;
        Stderr([&] { key.emplace(kKey); });
        const bool tooLarge = size > (size_t{1} << 20);
        EXPECT_EQ(key->FileSetAside(), tooLarge);
        EXPECT_EQ(key->Values().size(), tooLarge ? 0u : 30000u);
        EXPECT_TRUE(key->DamagedLines().empty());
    }
}

TEST(RegistryKeyDamage, NoValueIsStoredThatWouldMakeTheFileTooLargeToReadBack) {
    TempConfigHome home;
    RegistryKey key(kKey);
    ASSERT_TRUE(key.SetDword("Top", 1));
    // Four bytes of text per byte of data as hex ("xx,"); 400 KiB of it would make 1.2 MiB.
    const std::vector<uint8_t> blob(400 << 10, 0x01);
    EXPECT_NE(Stderr([&] { EXPECT_FALSE(key.SetValue("Blob", REG_BINARY, blob)); }), "");
    EXPECT_TRUE(key.SetValue("Blob", REG_BINARY, std::span(blob).first(300 << 10)));
    RegistryKey reopened(kKey);
    EXPECT_FALSE(reopened.FileSetAside());
    EXPECT_EQ(reopened.Values().size(), 2u);
}

// ---- The registry's query rules ----

constexpr auto kFails = std::nullopt;
struct QueryCase {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
    std::optional<uint32_t> dword;  // what each query reads, or kFails
    std::optional<std::string> text;
};

class Query : public ::testing::TestWithParam<QueryCase> {};

// A failed read leaves the caller's variable alone.
TEST_P(Query, FollowsTheRegistrysBufferRules) {
    const QueryCase& c = GetParam();
    TempConfigHome home;
    RegistryKey key(kKey);
    ASSERT_TRUE(key.SetValue("V", c.type, c.data));
    uint32_t dword = 0xdeadbeef;
    EXPECT_EQ(key.QueryDword("V", dword), c.dword.has_value());
    EXPECT_EQ(dword, c.dword.value_or(0xdeadbeef));
    std::string text = "unchanged";
    EXPECT_EQ(key.QueryText("V", text), c.text.has_value());
    EXPECT_EQ(text, c.text.value_or("unchanged"));
}

const std::string k254(254, 'p'), k255(255, 'p'), q254(254, 'q');
const QueryCase kQueries[] = {
    {"Dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, 0x12345678, "xV4\x12"},
    {"TwoBytesZeroExtended", REG_BINARY, {0xff, 0x7f}, 0x7fff, "\xff\x7f"},
    {"NoBytes", REG_BINARY, {}, 0, ""},
    {"FiveBytesFailAsDword", REG_BINARY, {1, 2, 3, 4, 5}, kFails, "\x01\x02\x03\x04\x05"},
    {"TextAsDword", REG_SZ, Sz("ab"), 0x006261, "ab"},
    {"TextStopsAtZero", REG_SZ, Sz(std::string("ab\0cd", 5)), kFails, "ab"},
    {"LongestText", REG_SZ, Sz(k254), kFails, k254},
    {"TextOneTooLong", REG_SZ, Sz(k255), kFails, kFails},
    {"UnterminatedFits", REG_BINARY, Bytes(q254), kFails, q254},
    {"UnterminatedNeedsRoomForZero", REG_BINARY, Bytes(std::string(255, 'q')), kFails, kFails},
    {"ThreeHundredBytes", REG_SZ, Sz(std::string(299, 't')), kFails, kFails},
};
INSTANTIATE_TEST_SUITE_P(Rules, Query, ::testing::ValuesIn(kQueries), RowName{});

TEST(RegistryKeyQuery, MissingValuesAndClosedKeysFail) {
    TempConfigHome home;
    RegistryKey key(kKey);
    uint32_t dword = 7;
    std::string text = "x";
    EXPECT_FALSE(key.QueryDword("Nope", dword));
    EXPECT_FALSE(key.QueryText("Nope", text));
    key.Close();
    EXPECT_FALSE(key.SetDword("Top", 1));
    EXPECT_FALSE(key.QueryValue("Top").has_value());
    EXPECT_EQ(dword, 7u);
    EXPECT_EQ(text, "x");
}

// ---- Damage ----

TEST(RegistryKeyDamage, ABadLineCostsOnlyItsValueAndTheNextWriteKeepsTheRest) {
    TempConfigHome home;
    TempConfigHome::WriteFile(home.StationKeyFile(),
                              "\xef\xbb\xbfREGEDIT4\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\ZelvoCam USB]\r\n"
                              "; edited by hand\r\n"
                              "\"Top\"=dword:0000007C\r\n"
                              "\"Left\"=dword:12345678\r\n"   // fine
                              "\"Bad1\"=dword:123456789\r\n"  // nine digits
                              "\"Bad2\"=\"no closing quote\r\n"
                              "\"Bad3\"=\"C:\\x\"\r\n"  // unknown escape
                              "\"Bad4\"=hex:0g\r\n"
                              "garbage\r\n"
                              "\"Cut1\"=dword:0000\r\n"  // cut short, not 0
                              "\"Cut2\"=hex:01,0\r\n"
                              "\"Blob\"=hex:01,02,\\\r\n"
                              "  03,04\r\n"  // continued hex list
                              "\"Path\"=\"/srv/\"\r\n");
    std::optional<RegistryKey> key;
    const std::string report = Stderr([&] { key.emplace(kKey); });
    EXPECT_NE(report.find("lines 7, 8, 9, 10, 11, 12, 13"), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;  // said once
    // The save at close opens it again.
    EXPECT_EQ(Stderr([] { RegistryKey(kKey).Close(); }), "");

    EXPECT_EQ(key->DamagedLines(), (std::vector<int>{7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(Dword(*key, "Top"), 0x7cu);
    EXPECT_EQ(Dword(*key, "Bad1"), std::nullopt);
    EXPECT_EQ(Dword(*key, "Cut1"), std::nullopt);
    EXPECT_FALSE(key->QueryValue("Cut2").has_value());
    ASSERT_TRUE(key->QueryValue("Blob").has_value());
    EXPECT_EQ(key->QueryValue("Blob")->data, (std::vector<uint8_t>{1, 2, 3, 4}));

    Stderr([&] { ASSERT_TRUE(key->SetDword("Bad1", 1)); });
    EXPECT_EQ(TempConfigHome::ReadFile(home.StationKeyFile()),
              kHeader + std::string("\"Top\"=dword:0000007c\n\"Left\"=dword:12345678\n"
                                    "\"Blob\"=hex:01,02,03,04\n\"Path\"=\"/srv/\"\n"
                                    "\"Bad1\"=dword:00000001\n"));
    EXPECT_EQ(Stderr([] { RegistryKey again(kKey); }), "");
}

// The files beside the key file that keep it as it was before a rewrite.
std::vector<std::filesystem::path> KeptCopies(const TempConfigHome& home) {
    std::vector<std::filesystem::path> copies;
    for (const auto& e : std::filesystem::directory_iterator(home.StationKeyFile().parent_path())) {
        if (e.path().filename().string().starts_with("ZelvoCam USB.reg.before-"))
            copies.push_back(e.path());
    }
    return copies;
}

TEST(RegistryKeyDamage, ARewriteKeepsAFileWithCommentsOrUnreadableLinesOncePerContent) {
    for (const auto& [name, lines, kept] :
         {std::tuple{"comment", "; set up by IT\n\"Top\"=dword:00000001\n", true},
          std::tuple{"cut-short dword", "\"Top\"=dword:0000\n", true},
          std::tuple{"string without its quote", "\"Path\"=\"/srv\n", true},
          std::tuple{"clean", "\"Top\"=dword:00000001\n", false}}) {
        SCOPED_TRACE(name);
        TempConfigHome home;
        const std::string text = kHeader + std::string(lines);
        // The same file found at two starts (its folder refused the first rewrite, say).
        for (const bool first : {true, false}) {
            TempConfigHome::WriteFile(home.StationKeyFile(), text);
            const std::string report =
                Stderr([] { ASSERT_TRUE(RegistryKey(kKey).SetDword("Left", 2)); });
            EXPECT_EQ(report.find("is kept as ZelvoCam USB.reg.before-") != std::string::npos,
                      kept && first)
                << report;
        }
        const auto copies = KeptCopies(home);
        ASSERT_EQ(copies.size(), kept ? 1u : 0u);
        if (kept) {
            EXPECT_TRUE(std::regex_match(copies[0].filename().string(),
                                         std::regex(R"(ZelvoCam USB\.reg\.before-\d{8}-\d{6})")))
                << copies[0];
            EXPECT_EQ(TempConfigHome::ReadFile(copies[0]), text);
            EXPECT_EQ(Mode(copies[0]), 0600);
        }
    }
}

TEST(RegistryKeyDamage, AFileThatIsNotTextIsKeptAsideAndTheKeyStartsEmpty) {
    TempConfigHome home;
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 97 + 13) & 0xff);
    TempConfigHome::WriteFile(home.StationKeyFile(), junk);

    std::optional<RegistryKey> key;
    const std::string report = Stderr([&] { key.emplace(kKey); });
    EXPECT_NE(report.find("ZelvoCam USB.reg.damaged"), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;

    EXPECT_TRUE(key->IsOpen());
    EXPECT_TRUE(key->FileSetAside());
    EXPECT_TRUE(key->Values().empty());
    EXPECT_EQ(TempConfigHome::ReadFile(home.StationKeyFile().string() + ".damaged"), junk);

    ASSERT_TRUE(key->SetDword("Top", 3));
    RegistryKey reopened(kKey);
    EXPECT_FALSE(reopened.FileSetAside());
    EXPECT_EQ(reopened.Values().size(), 1u);
}

// Each value's name, type and bytes, to compare lists of values whole.
std::vector<std::tuple<std::string, uint32_t, std::vector<uint8_t>>> Fields(
    const std::vector<RegistryValue>& values) {
    std::vector<std::tuple<std::string, uint32_t, std::vector<uint8_t>>> fields;
    for (const RegistryValue& v : values)
        fields.emplace_back(v.name, v.type, v.data);
    return fields;
}

// Whatever an editor or a disk did to the file, what is kept is written so that it reads back
// identically and whole.
TEST(RegistryKeyDamage, WhatADamagedFileKeepsIsWrittenBackFaithfully) {
    const std::string good =
        kHeader + std::string(
                      "\"Top\"=dword:0000007c\n\"Path\"=\"C:\\\\x \\\"y\\\"\"\n@=\"d\"\n"
                      "\"Blob\"=hex:01,02,\\\n  03\n\"Odd\"=hex(4):01,02\n\"T\"=hex(1):61,0a,00\n");
    ASSERT_TRUE(ParseRegFile(good).damagedLines.empty());
    constexpr std::string_view kAlphabet = "\"\\,:=@[]()0123456789abcdefxhdwor \t\r\n\xe9\x01";
    std::mt19937 random(4);
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        for (int edits = std::uniform_int_distribution(1, 6)(random); edits > 0; --edits) {
            const size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 1)(random);
            text[at] =
                kAlphabet[std::uniform_int_distribution<size_t>(0, kAlphabet.size() - 1)(random)];
        }
        const ParsedRegFile kept = ParseRegFile(text);
        const ParsedRegFile again =
            ParseRegFile(FormatRegFile("Software\\ZelvoCam USB", kept.values));
        ASSERT_TRUE(again.damagedLines.empty()) << text;
        ASSERT_EQ(Fields(again.values), Fields(kept.values)) << text;
    }
}

TEST(RegistryKeyDamage, AFailedWriteLeavesTheKeyAsItWas) {
    TempConfigHome home;
    RegistryKey key(kKey);
    ASSERT_TRUE(key.SetDword("Top", 1));
    std::filesystem::remove_all(home.StationKeyFile().parent_path());  // the folder is gone
    EXPECT_NE(Stderr([&] {
                  EXPECT_FALSE(key.SetDword("Left", 2));
                  key.BeginBatch();
                  EXPECT_TRUE(key.SetDword("Top", 5));
                  EXPECT_TRUE(key.SetDword("Right", 3));
                  EXPECT_FALSE(key.CommitBatch());
              }),
              "");
    EXPECT_FALSE(key.QueryValue("Left").has_value());
    EXPECT_FALSE(key.QueryValue("Right").has_value());
    EXPECT_EQ(Dword(key, "Top"), 1u);
    EXPECT_EQ(key.Values().size(), 1u);
}

}  // namespace
