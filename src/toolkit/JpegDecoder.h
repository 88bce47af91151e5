#pragma once

// libjpeg's decompressor as TPicture drives it: fatal errors caught where they happen, messages
// for the user, rows read a batch at a time.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// After <cstdio>: jpeglib.h takes FILE and size_t as already declared.
#include <jpeglib.h>

// libjpeg reports a fatal error by jumping back into the function that called it; those
// functions hold only C data, so the jump skips no destructor.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

// The error manager's exit: keeps libjpeg's message in the TJpegError and jumps back.
extern "C" void JpegErrorExit(j_common_ptr cinfo);

// Warnings (a truncated file among them) are not errors and are not printed.
extern "C" void JpegOutputMessage(j_common_ptr);

// What libjpeg's error means to the user, in their language. Its own English text follows only
// for damaged data, where it tells a bug report what went wrong.
std::string JpegReason(int code, const char* libraryText);

// Runs one libjpeg call; false when libjpeg reported a fatal error in it.
template <class TStep>
bool JpegRun(TJpegError* error, TStep&& step) {
    if (setjmp(error->Jump)) {
        return false;
    }
    step();
    return true;
}

// Decodes every row, a batch at a time into batch (JpegBatch rows of output_width pixels), and
// hands each row to sink(y, row).
enum { JpegBatch = 16 };
template <class TSink>
bool JpegReadRows(jpeg_decompress_struct* cinfo, TJpegError* error, uint32_t* batch, TSink& sink) {
    if (setjmp(error->Jump)) {
        return false;
    }
    JSAMPROW rows[JpegBatch];
    const size_t width = cinfo->output_width;
    for (int i = 0; i < JpegBatch; ++i) {
        rows[i] = reinterpret_cast<JSAMPROW>(batch + width * i);
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION count = cinfo->output_height - cinfo->output_scanline;
        if (count > JpegBatch) {
            count = JpegBatch;
        }
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
        for (JDIMENSION i = 0; i < got; ++i) {
            sink(static_cast<int>(first + i), batch + width * i);
        }
    }
    return true;
}

struct TJpegDecompressor {
    // Zeroed, so that destroying it is safe even when creating it failed.
    jpeg_decompress_struct Info{};
    ~TJpegDecompressor() { jpeg_destroy_decompress(&Info); }
};

// One row of CMYK as libjpeg gives it, 4 bytes a pixel, into RGB32 in place. Adobe writers store
// CMYK inverted (0 = full ink), which is what nearly every CMYK JPEG holds.
void CmykRowToRgb32(uint32_t* row, int width, bool inverted);
