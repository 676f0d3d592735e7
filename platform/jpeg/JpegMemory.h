// Compressing into memory with libjpeg, as the picture files and the simulated camera's frames
// do it:
//
//     jpeg_compress_struct cinfo{};
//     jpeg::ErrorJump errors{};
//     jpeg::UseErrorJump(cinfo, errors);
//     if (setjmp(errors.jump)) { jpeg_destroy_compress(&cinfo); return false; }
//     jpeg_create_compress(&cinfo);
//     jpeg::VectorDestination dest{};
//     jpeg::UseVectorDestination(cinfo, dest, out);
//     ...
//
// libjpeg reports an error by calling error_exit, which must not return, so it jumps back to
// the caller's setjmp: nothing with a destructor may live in that function between the setjmp
// and the end of compression. Warnings and trace messages are dropped.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace jpeg {

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};
// Before jpeg_create_compress (jpeg_create_decompress).
void UseErrorJump(jpeg_compress_struct& cinfo, ErrorJump& errors);
void UseErrorJump(jpeg_decompress_struct& cinfo, ErrorJump& errors);

struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
};
// After jpeg_create_compress: the compressed bytes go into `out`, which grows 64 KiB at a time
// and is cut to the bytes written when compression finishes. `dest` and `out` must outlive it.
void UseVectorDestination(jpeg_compress_struct& cinfo, VectorDestination& dest,
                          std::vector<uint8_t>& out);

}  // namespace jpeg
