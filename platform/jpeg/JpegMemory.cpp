// Compressing into memory with libjpeg (see JpegMemory.h).
#include "platform/jpeg/JpegMemory.h"

namespace jpeg {
namespace {

void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr, int) {}

constexpr size_t kChunk = 64 * 1024;

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->out->resize(kChunk);
    dest->pub.next_output_byte = dest->out->data();
    dest->pub.free_in_buffer = dest->out->size();
}

boolean EmptyBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    const size_t used = dest->out->size();  // libjpeg hands back a full buffer here
    dest->out->resize(used + kChunk);
    dest->pub.next_output_byte = dest->out->data() + used;
    dest->pub.free_in_buffer = kChunk;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

}  // namespace

void UseErrorJump(jpeg_compress_struct& cinfo, ErrorJump& errors) {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnError;
    errors.pub.emit_message = OnMessage;
}

void UseErrorJump(jpeg_decompress_struct& cinfo, ErrorJump& errors) {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnError;
    errors.pub.emit_message = OnMessage;
}

void UseVectorDestination(jpeg_compress_struct& cinfo, VectorDestination& dest,
                          std::vector<uint8_t>& out) {
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyBuffer;
    dest.pub.term_destination = TermDestination;
    dest.out = &out;
    cinfo.dest = &dest.pub;
}

}  // namespace jpeg
