#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Tiny sound files for the sound tests and the demo, written byte by byte.
namespace soundfiles {

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& out, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(uint8_t(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
    }
}

inline void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(uint8_t(tag[i]));
    }
}

// A format-0 MIDI file at 96 ticks a quarter note and the default 120 beats a minute: a piano
// plays `notes` notes of 48 ticks (a quarter of a second) each, rising from C4, then cuts the
// channel's sound, so that the file ends with its last note rather than after its long release.
inline Bytes MidiTune(int notes) {
    Bytes track = {0x00, 0xC0, 0x00};
    for (int i = 0; i < notes; ++i) {
        const uint8_t key = uint8_t(60 + (i * 2) % 24);
        track.insert(track.end(), {0x00, 0x90, key, 0x64, 0x30, 0x80, key, 0x40});
    }
    track.insert(track.end(), {0x00, 0xB0, 0x78, 0x00, 0x00, 0xFF, 0x2F, 0x00});
    Bytes out;
    PutTag(out, "MThd");
    Put32(out, 6, true);
    out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, 0x00, 0x60});
    PutTag(out, "MTrk");
    Put32(out, uint32_t(track.size()), true);
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

// A MIDI file with nothing to play: one track holding only its end.
inline Bytes EmptyMidi() {
    Bytes out;
    PutTag(out, "MThd");
    Put32(out, 6, true);
    out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, 0x00, 0x60});
    PutTag(out, "MTrk");
    Put32(out, 4, true);
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
}

// The MIDI data wrapped as a RIFF 'RMID' file, with an odd-sized chunk before the data.
inline Bytes Rmid(const Bytes& midi) {
    Bytes chunks;
    PutTag(chunks, "LIST");
    Put32(chunks, 5, false);
    chunks.insert(chunks.end(), {'I', 'N', 'F', 'O', 'x', 0});
    PutTag(chunks, "data");
    Put32(chunks, uint32_t(midi.size()), false);
    chunks.insert(chunks.end(), midi.begin(), midi.end());
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, uint32_t(4 + chunks.size()), false);
    PutTag(out, "RMID");
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// A mono 16-bit PCM wave file at 22,050 Hz: a square wave of 441 Hz (50 samples a period)
// at amplitude 8,000, lasting `samples` samples.
inline Bytes SquareWave(uint32_t samples) {
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, 36 + 2 * samples, false);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16, false);
    out.insert(out.end(), {1, 0, 1, 0});
    Put32(out, 22050, false);
    Put32(out, 22050 * 2, false);
    out.insert(out.end(), {2, 0, 16, 0});
    PutTag(out, "data");
    Put32(out, 2 * samples, false);
    for (uint32_t i = 0; i < samples; ++i) {
        const int16_t v = (i % 50) < 25 ? 8000 : -8000;
        out.push_back(uint8_t(v & 0xFF));
        out.push_back(uint8_t((v >> 8) & 0xFF));
    }
    return out;
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace soundfiles
