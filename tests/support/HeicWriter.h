#pragma once

#include <libheif/heif.h>

#include <cstdint>
#include <functional>
#include <string>

// A w × h HEIC file written by libheif's own encoder, each pixel's red, green and blue set by
// paint, with tiff as its EXIF block when given; empty where the machine has no HEVC encoder.
inline std::string HeicFile(int w,
                            int h,
                            const std::function<void(int x, int y, uint8_t* rgb)>& paint,
                            const std::string& tiff = {}) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(context);
        return {};
    }
    heif_image* image = nullptr;
    heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            paint(x, y, plane + y * stride + x * 3);
        }
    }
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context, image, encoder, nullptr, &handle);
    if (!tiff.empty()) {
        heif_context_add_exif_metadata(context, handle, tiff.data(), static_cast<int>(tiff.size()));
    }
    heif_image_handle_release(handle);
    heif_encoder_release(encoder);
    heif_image_release(image);
    std::string heic;
    heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* out) {
                           static_cast<std::string*>(out)->append(static_cast<const char*>(data),
                                                                  size);
                           return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                       }};
    heif_context_write(context, &writer, &heic);
    heif_context_free(context);
    return heic;
}
