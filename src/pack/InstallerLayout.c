#define _GNU_SOURCE
#include "pack/InstallerLayout.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

_Static_assert(sizeof(TImagePackEntry) == 13, "directory entry");
_Static_assert(sizeof(TInstallerTrailer) == LayoutTrailerLength, "trailer");
_Static_assert(LayoutDirectoryLength == 3329 && LayoutPackOverhead == 3348, "image pack");

_Static_assert(sizeof LAYOUT_MARKER == LayoutMarkerLength + 1, "marker");

static int Fault(char* reason, const char* text) {
    snprintf(reason, LayoutReasonSize, "%s", text);
    return -1;
}

static int32_t Le32At(const unsigned char* p) {
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                     (uint32_t)p[3] << 24);
}

static int IsZero(const void* bytes, size_t size) {
    const unsigned char* p = bytes;
    for (size_t i = 0; i < size; ++i) {
        if (p[i] != 0) {
            return 0;
        }
    }
    return 1;
}

/* An extension field as the text field rule leaves it for a lower-cased extension: all zero for
 * none, else a dot, up to four more bytes that are no dot and no delimiter, and zeros after a
 * shorter text. ".jpeg" fills the field without a terminator. */
static int IsStoredExt(const char field[5]) {
    if (field[0] == 0) {
        return IsZero(field, 5);
    }
    if (field[0] != '.') {
        return 0;
    }
    int ended = 0;
    for (int i = 1; i < 5; ++i) {
        const char c = field[i];
        if (ended ? c != 0 : c == '.' || c == '/' || c == ':') {
            return 0;
        }
        ended = ended || c == 0;
    }
    return 1;
}

int LayoutRead(int fd, void* buffer, int64_t offset, int64_t size, char reason[LayoutReasonSize]) {
    char* p = buffer;
    int64_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, p + done, (size_t)(size - done), offset + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            char text[64];
            snprintf(
                reason, LayoutReasonSize, "读取失败：%s", strerror_r(errno, text, sizeof text));
            return -1;
        }
        /* The file shrank since it was checked. */
        if (got == 0) {
            return Fault(reason, "文件在读取时变短了");
        }
        done += got;
    }
    return 0;
}

/* Every sum is taken in 64 bits, so no int32 from the file can wrap; the pieces must follow each
 * other without gaps up to the trailer, exactly as the builder writes them. */
static int CheckPieces(const TInstallerTrailer* t, int64_t length, char* reason) {
    if (t->SsOffset < 0 || t->SsSize < 0 || t->UiOffset < 0 || t->UiSize < 0) {
        return Fault(reason, "存根的位置或长度无效");
    }
    const int64_t ieSize = (int64_t)t->SettingsOffset - t->SsSize - t->UiSize;
    /* An absent stub has offset 0 and size 0 wherever it would have started. */
    const int ssPlaced = t->SsOffset == ieSize || (t->SsOffset == 0 && t->SsSize == 0);
    const int uiPlaced = t->UiOffset == ieSize + t->SsSize || (t->UiOffset == 0 && t->UiSize == 0);
    if (ieSize < 0 || !ssPlaced || !uiPlaced) {
        return Fault(reason, "存根的位置或长度无效");
    }
    if (t->SettingsSize != LayoutSettingsLength) {
        return Fault(reason, "设置记录的长度不是 77965");
    }
    const int64_t trailerOffset = length - LayoutTailLength;
    const int64_t imagesEnd = (int64_t)t->ImagesOffset + t->ImagesSize;
    if (t->ImagesOffset != (int64_t)t->SettingsOffset + LayoutSettingsLength ||
        t->ImagesSize < LayoutPackOverhead || imagesEnd > trailerOffset) {
        return Fault(reason, "图片包的位置或长度无效");
    }
    const int soundPlaced = t->HasSound == 1
                                ? t->SoundOffset == imagesEnd && t->SoundSize >= 0 &&
                                      (int64_t)t->SoundOffset + t->SoundSize == trailerOffset &&
                                      IsStoredExt(t->SoundExt)
                                : t->HasSound == 0 && t->SoundOffset == 0 && t->SoundSize == 0 &&
                                      IsZero(t->SoundExt, sizeof t->SoundExt) &&
                                      imagesEnd == trailerOffset;
    if (!soundPlaced) {
        return Fault(reason, "声音的位置、长度或扩展名无效");
    }
    return 0;
}

static int CheckDirectory(int fd, TInstallerLayout* layout, char* reason) {
    const int64_t pack = layout->Trailer.ImagesOffset;
    char marker[LayoutMarkerLength];
    if (LayoutRead(fd, marker, pack, LayoutMarkerLength, reason) != 0) {
        return -1;
    }
    if (memcmp(marker, LAYOUT_MARKER, LayoutMarkerLength) != 0) {
        return Fault(reason, "图片包开头没有屏保标记");
    }
    /* The directory, then its length, ends the pack. */
    const int64_t directory = layout->Trailer.ImagesSize - LayoutDirectoryLength - 4;
    unsigned char bytes[LayoutDirectoryLength + 4];
    if (LayoutRead(fd, bytes, pack + directory, sizeof bytes, reason) != 0) {
        return -1;
    }
    if (Le32At(bytes + LayoutDirectoryLength) != LayoutDirectoryLength) {
        return Fault(reason, "图片包末尾不是 3329");
    }
    const int count = bytes[0];
    const size_t used = 1 + (size_t)count * sizeof(TImagePackEntry);
    memcpy(layout->Entries, bytes + 1, used - 1);
    /* The pictures follow the marker one after another, up to the directory. */
    int64_t next = LayoutMarkerLength;
    for (int k = 0; k < count; ++k) {
        const TImagePackEntry* entry = &layout->Entries[k];
        if (entry->Offset != next || entry->Size < 0 || next + entry->Size > directory) {
            snprintf(reason, LayoutReasonSize, "第 %d 张图片的位置或长度无效", k + 1);
            return -1;
        }
        if (!IsStoredExt(entry->Ext)) {
            snprintf(reason, LayoutReasonSize, "第 %d 张图片的扩展名无效", k + 1);
            return -1;
        }
        next += entry->Size;
    }
    if (next != directory) {
        return Fault(reason, "图片之后、目录之前有多余的数据");
    }
    if (!IsZero(bytes + used, LayoutDirectoryLength - used)) {
        return Fault(reason, "图片目录中有多余的条目");
    }
    layout->PictureCount = count;
    return 0;
}

int CheckInstallerLayout(int fd,
                         int64_t length,
                         TInstallerLayout* layout,
                         char reason[LayoutReasonSize]) {
    memset(layout, 0, sizeof *layout);
    if (length >= (int64_t)1 << 31) {
        return Fault(reason, "文件超过 2 GB");
    }
    if (length < LayoutTailLength + LayoutSettingsLength + LayoutPackOverhead) {
        return Fault(reason, "文件太短");
    }
    unsigned char tail[LayoutTailLength];
    if (LayoutRead(fd, tail, length - LayoutTailLength, LayoutTailLength, reason) != 0) {
        return -1;
    }
    if (memcmp(tail + LayoutTrailerLength + 4, LAYOUT_MARKER, LayoutMarkerLength) != 0) {
        return Fault(reason, "文件末尾没有屏保标记");
    }
    if (Le32At(tail + LayoutTrailerLength) != LayoutTrailerLength) {
        return Fault(reason, "索引的长度不是 146");
    }
    memcpy(&layout->Trailer, tail, LayoutTrailerLength);
    if (CheckPieces(&layout->Trailer, length, reason) != 0 ||
        CheckDirectory(fd, layout, reason) != 0) {
        memset(layout, 0, sizeof *layout);
        return -1;
    }
    return 0;
}
