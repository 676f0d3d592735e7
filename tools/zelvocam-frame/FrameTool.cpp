// zelvocam-frame: the camera frame path (decoder mode 1, then the 24-bit converter) on a frame
// file, with the picture written out or the path timed.
#include "tools/zelvocam-frame/FrameTool.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <new>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "platform/jpeg/BmpFile.h"

namespace {

constexpr const char* kUsage =
    "usage: zelvocam-frame yuyv FRAME.jpg OUT.raw | bmp FRAME.jpg OUT.bmp | bench FRAME.jpg N";
// Far above any camera size preset (2560 x 1920), and small enough to allocate.
constexpr int kLargestSide = 8192;

using Bytes = std::vector<uint8_t>;

bool ReadFile(const std::string& path, Bytes& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

// One frame file through the decoder, with buffers kept for repeated runs.
class FramePath {
  public:
    ~FramePath() { DestroyFrameDecoder(&decoder_); }

    // Parses the frame and sizes the buffers; an empty string on success, else the reason.
    std::string Load(Bytes frame) {
        frame_ = std::move(frame);
        if (CreateFrameDecoder(kDecodeModeYuyv, &decoder_) != 0)
            return "cannot create a decoder";
        if (ParseFrame(decoder_, frame_, &width_, &height_) != 0 || width_ <= 0 || height_ <= 0) {
            return "is not a camera frame";
        }
        if (width_ > kLargestSide || height_ > kLargestSide) {
            return "declares a picture of " + std::to_string(width_) + "x" +
                   std::to_string(height_) + ", larger than this tool handles";
        }
        const size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
        try {
            // Lines and columns outside whole macroblocks are not decoded: they stay black.
            work_.resize(pixels * 2);
            for (size_t i = 0; i < work_.size(); i += 2)
                work_[i] = 0, work_[i + 1] = 128;
            picture_.resize(pixels * 3);
        } catch (const std::bad_alloc&) {
            return "needs more memory than there is";
        }
        return {};
    }

    bool Decode() {
        int width = 0, height = 0;
        return ParseFrame(decoder_, frame_, &width, &height) == 0 &&
               DecodeFrame(decoder_, work_) == 0;
    }
    void Convert() { ConvertYuyvToBgr24(picture_, width_, height_, work_); }

    const Bytes& work() const { return work_; }
    const Bytes& picture() const { return picture_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    FrameDecoder* decoder_ = nullptr;
    Bytes frame_, work_, picture_;
    int width_ = 0, height_ = 0;
};

bool ParseCount(const std::string& text, long& count) {
    if (text.empty() || text.size() > 9)
        return false;
    count = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        count = count * 10 + (c - '0');
    }
    return count > 0;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(std::span<const uint8_t> bottomUpBgr, int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    Bytes file(Bmp24FileBytes(width, height));
    constexpr int32_t k72Dpi = 2835;  // in dots per metre
    WriteBmp24(file, width, height, k72Dpi, k72Dpi,
               [&](int row) { return bottomUpBgr.subspan(row * rowBytes, rowBytes); });
    return file;
}

int RunFrameTool(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() != 3 ||
        (arguments[0] != "yuyv" && arguments[0] != "bmp" && arguments[0] != "bench")) {
        err << kUsage << '\n';
        return 2;
    }
    const std::string& command = arguments[0];
    const std::string& framePath = arguments[1];
    long count = 0;
    if (command == "bench" && !ParseCount(arguments[2], count)) {
        err << "zelvocam-frame: N must be a positive whole number, not '" << arguments[2] << "'\n";
        return 2;
    }

    Bytes frame;
    if (!ReadFile(framePath, frame)) {
        err << "zelvocam-frame: cannot read " << framePath << '\n';
        return 1;
    }
    FramePath path;
    if (const std::string problem = path.Load(std::move(frame)); !problem.empty()) {
        err << "zelvocam-frame: " << framePath << ' ' << problem << '\n';
        return 1;
    }

    if (command == "bench") {
        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < count; ++i) {
            path.Decode();
            path.Convert();
        }
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        char line[64];
        std::snprintf(line, sizeof line, "ms_per_frame=%.3f\n", elapsed.count() / count);
        out << line;
        return 0;
    }

    if (!path.Decode()) {
        err << "zelvocam-frame: " << framePath << " could not be decoded\n";
        return 1;
    }
    const std::string& outputPath = arguments[2];
    bool written = false;
    if (command == "yuyv") {
        written = WriteFile(outputPath, path.work());
    } else {
        path.Convert();
        written = WriteFile(outputPath, EncodeBmp24(path.picture(), path.width(), path.height()));
    }
    if (!written) {
        err << "zelvocam-frame: cannot write " << outputPath << '\n';
        return 1;
    }
    return 0;
}
