#include "toolkit/JpegDecoder.h"

#include <jerror.h>

#include <csetjmp>
#include <string>

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->Message);
    std::longjmp(error->Jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

std::string JpegReason(int code, const char* libraryText) {
    switch (code) {
        case JERR_NO_SOI:
            return "不是 JPEG 文件";
        case JERR_INPUT_EMPTY:
            return "文件是空的";
        case JERR_OUT_OF_MEMORY:
            return "内存不足";
        default:
            return std::string("文件已损坏或不完整（") + libraryText + "）";
    }
}

void CmykRowToRgb32(uint32_t* row, int width, bool inverted) {
    auto* p = reinterpret_cast<unsigned char*>(row);
    for (int x = 0; x < width; ++x, p += 4) {
        int c = p[0], m = p[1], ye = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            ye = 255 - ye;
            k = 255 - k;
        }
        const int r = (c * k + 127) / 255;
        const int g = (m * k + 127) / 255;
        const int b = (ye * k + 127) / 255;
        row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}
