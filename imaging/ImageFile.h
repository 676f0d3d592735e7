// Writing an image record to a file.
//
// BMP files are written byte for byte here: the 14-byte file header, the 40-byte bitmap header
// with the record's resolution, then the rows bottom row first, 3 bytes B G R per pixel, each
// row padded with zeros to a multiple of 4 bytes. A file is replaced atomically (a temporary
// file in the same folder, flushed, renamed over the old one, the folder flushed), with the
// mode the caller asks for; a symbolic link in its place is replaced, never followed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "imaging/ImageRecord.h"

// Format codes of the file write.
inline constexpr int kFileFormatBmp = 6;
inline constexpr int kFileFormatJpeg = 23;

// The whole BMP file of a record (empty for an empty record).
std::string EncodeBmp24(const ImageRecord& image);

// Writes `image` as `format` with `bitsPerPixel` (24) and `quality` (JPEG only), a new file
// getting `mode` (less the umask). Returns 1 on success; 0 or less on failure, with a one-line
// reason in `error`. Only BMP is written yet: JPEG, other depths and an empty record fail.
int WriteImageFile(const std::filesystem::path& file, const ImageRecord& image, int format,
                   int bitsPerPixel, int quality, mode_t mode, std::string& error);
