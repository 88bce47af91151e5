#include "toolkit/HeifDecoder.h"

#include <libheif/heif.h>

#include <climits>
#include <cstring>

namespace {

std::string Reason(const heif_error& error) {
    // libheif's own text is English; the code says enough to tell the user which case it is.
    if (error.subcode == heif_suberror_Unsupported_codec) {
        return "本机缺少 HEIC 解码器，请安装软件包 libheif1 和 libde265-0";
    }
    switch (error.code) {
        case heif_error_Invalid_input:
            return "HEIF 文件已损坏";
        case heif_error_Unsupported_filetype:
        case heif_error_Unsupported_feature:
            return "不支持此种 HEIF 图片";
        case heif_error_Memory_allocation_error:
            return "内存不足";
        case heif_error_Decoder_plugin_error:
            return "HEIF 解码器出错";
        default:
            return "HEIF 数据无法解码";
    }
}

}  // namespace

THeifPicture::~THeifPicture() {
    if (FImage) {
        heif_image_release(FImage);
    }
    if (FHandle) {
        heif_image_handle_release(FHandle);
    }
    if (FContext) {
        heif_context_free(FContext);
    }
}

bool THeifPicture::Sniff(const unsigned char* data, size_t size) {
    if (size < 12 || std::memcmp(data + 4, "ftyp", 4) != 0) {
        return false;
    }
    return heif_check_filetype(data, static_cast<int>(std::min<size_t>(size, INT_MAX))) ==
           heif_filetype_yes_supported;
}

std::string THeifPicture::Open(const unsigned char* data, size_t size, int& width, int& height) {
    FContext = heif_context_alloc();
    if (!FContext) {
        return "内存不足";
    }
    heif_error error = heif_context_read_from_memory_without_copy(FContext, data, size, nullptr);
    if (error.code != heif_error_Ok) {
        return Reason(error);
    }
    error = heif_context_get_primary_image_handle(FContext, &FHandle);
    if (error.code != heif_error_Ok) {
        return Reason(error);
    }
    width = heif_image_handle_get_width(FHandle);
    height = heif_image_handle_get_height(FHandle);
    FHasAlpha = heif_image_handle_has_alpha_channel(FHandle) != 0;
    return {};
}

std::string THeifPicture::Decode() {
    const heif_error error =
        heif_decode_image(FHandle,
                          &FImage,
                          heif_colorspace_RGB,
                          FHasAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          nullptr);
    if (error.code != heif_error_Ok) {
        return Reason(error);
    }
    FWidth = heif_image_get_width(FImage, heif_channel_interleaved);
    FHeight = heif_image_get_height(FImage, heif_channel_interleaved);
    FPlane = heif_image_get_plane_readonly(FImage, heif_channel_interleaved, &FStride);
    if (!FPlane || FWidth <= 0 || FHeight <= 0 ||
        heif_image_get_bits_per_pixel_range(FImage, heif_channel_interleaved) != 8) {
        return "HEIF 数据无法解码";
    }
    return {};
}

std::string THeifPicture::ExifTiff() const {
    if (!FHandle) {
        return {};
    }
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(FHandle, "Exif", &id, 1) < 1) {
        return {};
    }
    const size_t size = heif_image_handle_get_metadata_size(FHandle, id);
    std::string block(size, '\0');
    if (size < 4 ||
        heif_image_handle_get_metadata(FHandle, id, block.data()).code != heif_error_Ok) {
        return {};
    }
    // The block opens with the big-endian offset of the TIFF header after these four bytes.
    const auto* p = reinterpret_cast<const unsigned char*>(block.data());
    const size_t offset = (size_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (offset > size - 4) {
        return {};
    }
    return block.substr(4 + offset);
}
