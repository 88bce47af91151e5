#pragma once

#include <string>
#include <utility>

// The day a photo was taken, as its EXIF DateTimeOriginal says; all 0 when it says nothing.
struct TDateTaken {
    TDateTaken() = default;
    TDateTaken(int year, int month, int day, std::string stamp = {})
        : Year(year), Month(month), Day(day), Stamp(std::move(stamp)) {}

    int Year = 0;
    int Month = 0;
    int Day = 0;
    // The whole stamp as the file holds it, "2024:05:03 14:20:07", for writing it out again.
    std::string Stamp;

    bool Known() const { return Year != 0; }
    // The same day, whatever the time of day.
    bool operator==(const TDateTaken& other) const {
        return Year == other.Year && Month == other.Month && Day == other.Day;
    }
};
