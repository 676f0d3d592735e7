// zelvocam-frame on real frame files: what each command writes, and its one-line failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "tests/decoder/TestFrames.h"
#include "tools/zelvocam-frame/FrameTool.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class FrameTool : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() /
                     ("zelvocam-frame-test-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory_);
        // 30 pixels wide: BMP rows of 90 bytes need 2 bytes of padding each.
        frame_ = testframes::EncodeScene(testframes::Scene::kFace, kWidth, kHeight);
        Write("frame.jpg", frame_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::string PathOf(const std::string& name) const { return (directory_ / name).string(); }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    Bytes Read(const std::string& name) const {
        std::ifstream file(PathOf(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    int Run(std::vector<std::string> arguments) {
        out_.str({}), err_.str({});
        return RunFrameTool(arguments, out_, err_);
    }
    // What the decoder itself makes of the frame, in mode 1.
    Bytes WorkPixels() const {
        FrameDecoder* decoder = nullptr;
        CreateFrameDecoder(kDecodeModeYuyv, &decoder);
        int width = 0, height = 0;
        ParseFrame(decoder, frame_, &width, &height);
        Bytes work(kWidth * kHeight * 2);
        DecodeFrame(decoder, work);
        DestroyFrameDecoder(&decoder);
        return work;
    }

    static constexpr int kWidth = 30, kHeight = 16;
    fs::path directory_;
    Bytes frame_;
    std::ostringstream out_, err_;
};

uint32_t LittleEndian(const Bytes& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[at + i];
    return value;
}

TEST_F(FrameTool, YuyvWritesTheDecodersWorkPixels) {
    ASSERT_EQ(Run({"yuyv", PathOf("frame.jpg"), PathOf("out.raw")}), 0) << err_.str();
    const Bytes raw = Read("out.raw");
    ASSERT_EQ(raw.size(), size_t{kWidth * kHeight * 2});
    // The 16 whole-macroblock columns are the decoder's; the rest stays black.
    const Bytes expected = WorkPixels();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const size_t at = (static_cast<size_t>(y) * kWidth + x) * 2;
            if (x < 16) {
                ASSERT_EQ(raw[at], expected[at]) << x << "," << y;
            } else {
                ASSERT_EQ(raw[at], 0) << x << "," << y;
                ASSERT_EQ(raw[at + 1], 128) << x << "," << y;
            }
        }
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(FrameTool, BmpIsABottomUpTwentyFourBitFileWithPaddedRows) {
    ASSERT_EQ(Run({"bmp", PathOf("frame.jpg"), PathOf("out.bmp")}), 0) << err_.str();
    const Bytes bmp = Read("out.bmp");
    constexpr size_t kPaddedRow = 92;
    ASSERT_EQ(bmp.size(), 54 + kPaddedRow * kHeight);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(LittleEndian(bmp, 2, 4), bmp.size());
    EXPECT_EQ(LittleEndian(bmp, 10, 4), 54u);
    EXPECT_EQ(LittleEndian(bmp, 18, 4), uint32_t{kWidth});
    EXPECT_EQ(LittleEndian(bmp, 22, 4), uint32_t{kHeight});
    EXPECT_EQ(LittleEndian(bmp, 28, 2), 24u);

    ASSERT_EQ(Run({"yuyv", PathOf("frame.jpg"), PathOf("out.raw")}), 0);
    const Bytes work = Read("out.raw");
    Bytes picture(kWidth * kHeight * 3);
    ConvertYuyvToBgr24(picture, kWidth, kHeight, work);
    for (int row = 0; row < kHeight; ++row) {
        const auto fileRow = bmp.begin() + 54 + row * kPaddedRow;
        ASSERT_TRUE(std::equal(fileRow, fileRow + kWidth * 3, picture.begin() + row * kWidth * 3))
            << "row " << row;
        EXPECT_EQ(fileRow[90], 0);
        EXPECT_EQ(fileRow[91], 0);
    }
}

TEST_F(FrameTool, BenchPrintsOnlyTheTimePerFrame) {
    ASSERT_EQ(Run({"bench", PathOf("frame.jpg"), "3"}), 0) << err_.str();
    EXPECT_TRUE(std::regex_match(out_.str(), std::regex("ms_per_frame=[0-9]+\\.[0-9]{3}\n")))
        << out_.str();
}

TEST_F(FrameTool, FailuresGiveOneLineAndANonZeroExit) {
    Bytes huffmanTables = frame_;
    const Bytes dht = {0xFF, 0xC4, 0x00, 0x02};
    huffmanTables.insert(huffmanTables.begin() + 2, dht.begin(), dht.end());
    Write("dht.jpg", huffmanTables);
    Write("text.jpg", Bytes{'h', 'e', 'l', 'l', 'o'});
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"MissingFile", {"bmp", PathOf("absent.jpg"), PathOf("out.bmp")}},
        {"NotAJpeg", {"yuyv", PathOf("text.jpg"), PathOf("out.raw")}},
        {"HuffmanTablesInFrame", {"bmp", PathOf("dht.jpg"), PathOf("out.bmp")}},
        {"UnwritableOutput", {"bmp", PathOf("frame.jpg"), PathOf("no/such/dir/out.bmp")}},
        {"BenchCountNotANumber", {"bench", PathOf("frame.jpg"), "many"}},
        {"BenchCountZero", {"bench", PathOf("frame.jpg"), "0"}},
        {"UnknownCommand", {"png", PathOf("frame.jpg"), PathOf("out.png")}},
        {"MissingArgument", {"bmp", PathOf("frame.jpg")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(Run(c.arguments), 0);
        const std::string message = err_.str();
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
        EXPECT_TRUE(out_.str().empty());
    }
}

}  // namespace
