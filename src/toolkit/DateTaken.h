#pragma once

// The day a photo was taken, as its EXIF DateTimeOriginal says; all 0 when it says nothing.
struct TDateTaken {
    int Year = 0;
    int Month = 0;
    int Day = 0;

    bool Known() const { return Year != 0; }
    bool operator==(const TDateTaken&) const = default;
};
