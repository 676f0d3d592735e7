// Writing an image record to a file (see ImageFile.h).
#include "imaging/ImageFile.h"

#include <array>
#include <cstring>

#include "platform/jpeg/BmpFile.h"
#include "platform/system/AtomicFile.h"

std::string EncodeBmp24(const ImageRecord& image) {
    if (!image.IsAllocated())
        return {};
    const int height = image.Height();
    std::string file(Bmp24FileBytes(image.Width(), height), '\0');
    WriteBmp24(std::span(reinterpret_cast<uint8_t*>(file.data()), file.size()), image.Width(),
               height, image.XPelsPerMeter(), image.YPelsPerMeter(),
               [&](int fromBottom) { return image.RowBytes(height - 1 - fromBottom); });
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
