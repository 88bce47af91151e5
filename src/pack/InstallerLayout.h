/* The layout of an installer file and its one check, in C: the first stage, which links nothing
 * but the C library, checks a file exactly as the reader does before running any part of it.
 *
 * The file: [ie.dat] [ss.dat] [ui.dat] settings record, image pack, [sound], trailer, int32 146,
 * marker; the pieces follow each other without gaps. The image pack: marker, the pictures in
 * list order, the picture count byte, 256 directory entries, int32 3329. All numbers are
 * little-endian; offsets and sizes are int32, so no file reaches 2 GiB. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* One picture in the image pack's directory. */
struct TImagePackEntry {
    int32_t Offset; /* 0: from the pack's first byte */
    int32_t Size;   /* 4 */
    char Ext[5];    /* 8: ".jpg", ".jpeg", ".bmp"; no terminator when full */
};

/* The index at the end of an installer file; offsets count from the file's first byte. */
struct TInstallerTrailer {
    char Title[100];        /* 0: code-page bytes */
    int32_t SsOffset;       /* 100: 0 without ss.dat */
    int32_t SsSize;         /* 104 */
    int32_t UiOffset;       /* 108: 0 without ui.dat */
    int32_t UiSize;         /* 112 */
    int32_t SettingsOffset; /* 116 */
    int32_t SettingsSize;   /* 120: always 77965 */
    int32_t ImagesOffset;   /* 124 */
    int32_t ImagesSize;     /* 128 */
    int32_t SoundOffset;    /* 132: 0 without sound */
    int32_t SoundSize;      /* 136 */
    uint8_t HasSound;       /* 140 */
    char SoundExt[5];       /* 141: ".mp3"; all zero without sound */
};

#pragma pack(pop)

typedef struct TImagePackEntry TImagePackEntry;
typedef struct TInstallerTrailer TInstallerTrailer;

/* The lengths of the file's fixed parts. */
enum {
    LayoutMarkerLength = 15,
    LayoutEntryCount = 256,
    LayoutDirectoryLength = 1 + LayoutEntryCount * 13, /* count byte and entries: 3329 */
    LayoutPackOverhead = LayoutMarkerLength + LayoutDirectoryLength + 4,
    LayoutTrailerLength = 146,
    LayoutTailLength = LayoutTrailerLength + 4 + LayoutMarkerLength, /* 165 */
    LayoutSettingsLength = 77965,
    /* Room for the longest reason a check gives, in UTF-8 with its terminator. */
    LayoutReasonSize = 96
};

/* What a check of the whole file learns: the trailer and the directory's used entries. */
struct TInstallerLayout {
    TInstallerTrailer Trailer;
    int PictureCount;
    TImagePackEntry Entries[LayoutEntryCount];
};
typedef struct TInstallerLayout TInstallerLayout;

/* The 15 bytes that open the image pack and close the installer file. */
#define LAYOUT_MARKER "sky mirror band"

/* Reads size bytes at offset of fd into buffer, retrying short reads. Answers 0, or -1 with the
 * reason (the read error, or a file that ended early) in reason. */
int LayoutRead(int fd, void* buffer, int64_t offset, int64_t size, char reason[LayoutReasonSize]);

/* Checks the layout of the regular file open as fd, length bytes long: its size, the tail, every
 * piece of the trailer in order without gaps up to the trailer, the settings record's size, the
 * image pack's marker and its directory. Answers 0 with the layout filled in, or -1 with the
 * reason in one short sentence. */
int CheckInstallerLayout(int fd,
                         int64_t length,
                         TInstallerLayout* layout,
                         char reason[LayoutReasonSize]);

#ifdef __cplusplus
}
#endif
