#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/DateTaken.h"

class QImage;

// The EXIF orientation (1 upright … 8) of a TIFF block, as JPEG's APP1 "Exif" segment, PNG's
// eXIf chunk and WebP's EXIF chunk carry it. A damaged or absent tag means 1.
int OrientationFromTiff(const unsigned char* data, size_t size);
// The same for a JPEG APP1 segment's payload, which starts with "Exif\0\0".
int OrientationFromExifSegment(const unsigned char* data, size_t size);
// The orientation a PNG or WebP file carries in its EXIF chunk; 1 for anything else.
int OrientationFromContainer(const unsigned char* data, size_t size);

// The day a photo was taken: DateTimeOriginal ("2024:05:03 14:20:00") of the EXIF sub-block that
// a TIFF block points to. A damaged, absent or impossible date gives an unknown one.
TDateTaken DateTakenFromTiff(const unsigned char* data, size_t size);
// The same for a JPEG APP1 segment's payload, which starts with "Exif\0\0".
TDateTaken DateTakenFromExifSegment(const unsigned char* data, size_t size);
// The same for the EXIF chunk of a PNG or WebP file; unknown for anything else.
TDateTaken DateTakenFromContainer(const unsigned char* data, size_t size);

// A TIFF block for a picture written upright: orientation 1 and, when stamp is not empty, that
// DateTimeOriginal ("2024:05:03 14:20:07").
std::string UprightExifTiff(const std::string& stamp);

// Whether an orientation turns the picture on its side, so that its upright width is its stored
// height.
inline bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Writes stored row y (storedWidth RGB32 pixels) of a picture stored at storedWidth x
// storedHeight into upright, which has the upright size.
void WriteStoredRow(QImage& upright,
                    int orientation,
                    int storedWidth,
                    int storedHeight,
                    int y,
                    const uint32_t* row);
