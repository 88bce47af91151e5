#pragma once

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// JPEG bytes of width x height pixels of 1 (grey), 3 (RGB) or 4 (CMYK, stored as given)
// components, made with libjpeg's compressor; stored in storedSpace when it is given.
inline std::vector<unsigned char> EncodeJpeg(int width,
                                             int height,
                                             int components,
                                             const unsigned char* pixels,
                                             int quality,
                                             bool progressive,
                                             J_COLOR_SPACE storedSpace = JCS_UNKNOWN) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (storedSpace != JCS_UNKNOWN) {
        jpeg_set_colorspace(&cinfo, storedSpace);
    }
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels) +
                       static_cast<size_t>(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

// Writes bytes to a file; answers whether it worked.
inline bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
