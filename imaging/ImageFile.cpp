// Writing an image record to a file (see ImageFile.h).
#include "imaging/ImageFile.h"

#include <array>
#include <cstring>

#include "platform/system/AtomicFile.h"

std::string EncodeBmp24(const ImageRecord& image) {
    if (!image.IsAllocated())
        return {};
    const int width = image.Width();
    const int height = image.Height();
    const size_t stride = DibStride(width);
    const size_t pixels = stride * static_cast<size_t>(height);
    const size_t offset = kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes;
    std::string file(offset + pixels, '\0');
    auto* out = reinterpret_cast<uint8_t*>(file.data());

    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out + 2, static_cast<uint32_t>(file.size()));
    PutLe32(out + 6, 0);  // two reserved words
    PutLe32(out + 10, static_cast<uint32_t>(offset));

    BitmapInfoHeader info;
    info.biWidth = width;
    info.biHeight = height;  // positive: bottom row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<uint32_t>(pixels);
    info.biXPelsPerMeter = image.XPelsPerMeter();
    info.biYPelsPerMeter = image.YPelsPerMeter();
    WriteBitmapInfoHeader(info, std::span<uint8_t, kBitmapInfoHeaderBytes>(
                                    out + kBitmapFileHeaderBytes, kBitmapInfoHeaderBytes));

    for (int row = 0; row < height; ++row) {
        const std::span<const uint8_t> bytes = image.RowBytes(row);
        // The padding bytes stay zero from the string's construction.
        std::memcpy(out + offset + static_cast<size_t>(height - 1 - row) * stride, bytes.data(),
                    bytes.size());
    }
    return file;
}

int WriteImageFile(const std::filesystem::path& file, const ImageRecord& image, int format,
                   int bitsPerPixel, int quality, mode_t mode, std::string& error) {
    (void)quality;
    if (!image.IsAllocated()) {
        error = "no picture to write";
        return 0;
    }
    if (format != kFileFormatBmp || bitsPerPixel != 24) {
        error = "format " + std::to_string(format) + " at " + std::to_string(bitsPerPixel) +
                " bits is not written";
        return 0;
    }
    if (file.empty() || !file.has_filename()) {
        error = "no file name";
        return 0;
    }
    return sys::ReplaceFileAtomically(file, EncodeBmp24(image), mode, error) ? 1 : 0;
}
