#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "engine/CdSound.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingWavePlayer.h"
#include "support/SoundFiles.h"

namespace fs = std::filesystem;
using namespace soundfiles;

namespace {

std::atomic<long> mixedBytes{0};

void CountMixed(void*, Uint8*, int len) {
    mixedBytes += len;
}

// Waits until the audio thread has mixed `seconds` of output after this call. The wall-clock
// bound only keeps a broken audio thread from hanging the test; it is far above what is needed.
bool WaitForMixed(double seconds) {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
        return false;
    }
    const long needed = long(seconds * frequency) * channels * SDL_AUDIO_BITSIZE(format) / 8;
    mixedBytes = 0;
    Mix_SetPostMix(CountMixed, nullptr);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (mixedBytes < needed && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Mix_SetPostMix(nullptr, nullptr);
    return mixedBytes >= needed;
}

std::string OpenCommand(const fs::path& file) {
    return "open \"" + file.string() + "\" alias mp wait";
}

class SdlSoundTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kavro_sound_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
        fs::create_directories(dir);
        WriteBytes(dir / "tone.wav", SquareWave(22050 * 3 / 10));
        WriteBytes(dir / "tune.mid", MidiTune(1));
        WriteBytes(dir / "tune.rmi", Rmid(MidiTune(1)));
        fs::copy_file(fs::path(KAVRO_TEST_DATA) / "tone.mp3", dir / "tone.mp3");
    }
    void TearDown() override { fs::remove_all(dir); }

    static inline int serial = 0;
    fs::path dir;
};

struct RmidCase {
    const char* name;
    Bytes file;
    Bytes midi;
};

void PrintTo(const RmidCase& c, std::ostream* os) {
    *os << c.name;
}

class RmidMidiDataTest : public testing::TestWithParam<RmidCase> {};

TEST_P(RmidMidiDataTest, FindsTheDataChunk) {
    const std::span<const uint8_t> got = RmidMidiData(GetParam().file);
    EXPECT_EQ(Bytes(got.begin(), got.end()), GetParam().midi);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

const Bytes riffRmid = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'};

INSTANTIATE_TEST_SUITE_P(
    Table,
    RmidMidiDataTest,
    testing::Values(
        RmidCase{"PlainMidi", {'M', 'T', 'h', 'd', 0, 0, 0, 6}, {'M', 'T', 'h', 'd', 0, 0, 0, 6}},
        RmidCase{
            "DataFirst", Concat({riffRmid, {'d', 'a', 't', 'a', 3, 0, 0, 0, 7, 8, 9}}), {7, 8, 9}},
        RmidCase{"OddChunkIsPadded",
                 Concat({riffRmid,
                         {'L', 'I', 'S', 'T', 1, 0, 0, 0, 5, 0},
                         {'d', 'a', 't', 'a', 2, 0, 0, 0, 1, 2}}),
                 {1, 2}},
        RmidCase{
            "DataCutAtTheEnd", Concat({riffRmid, {'d', 'a', 't', 'a', 9, 0, 0, 0, 4, 5}}), {4, 5}},
        RmidCase{"NoDataChunk", Concat({riffRmid, {'L', 'I', 'S', 'T', 0, 0, 0, 0}}), {}},
        RmidCase{"HugeChunkBeforeData",
                 Concat({riffRmid,
                         {'L', 'I', 'S', 'T', 0xFF, 0xFF, 0xFF, 0xFF},
                         {'d', 'a', 't', 'a', 1, 0, 0, 0, 1}}),
                 {}},
        RmidCase{"ShortChunkHeader", Concat({riffRmid, {'d', 'a', 't', 'a', 1, 0}}), {}},
        RmidCase{"RiffWave",
                 {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
                 {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        RmidCase{"ShortRiff", {'R', 'I', 'F', 'F', 0, 0}, {'R', 'I', 'F', 'F', 0, 0}}),
    [](const testing::TestParamInfo<RmidCase>& info) { return std::string(info.param.name); });

struct TypeCase {
    const char* name;
    Bytes bytes;
    Mix_MusicType type;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.name;
}

class MusicTypeOfTest : public testing::TestWithParam<TypeCase> {};

TEST_P(MusicTypeOfTest, ChoosesTheDecoderByContent) {
    EXPECT_EQ(MusicTypeOf(GetParam().bytes), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         MusicTypeOfTest,
                         testing::Values(TypeCase{"Midi", EmptyMidi(), MUS_MID},
                                         TypeCase{"Wave", SquareWave(10), MUS_WAV},
                                         TypeCase{"Id3Tag", {'I', 'D', '3', 3, 0}, MUS_MP3},
                                         TypeCase{"Mpeg1Layer3", {0xFF, 0xFB, 0x90}, MUS_MP3},
                                         TypeCase{"Mpeg2Layer3", {0xFF, 0xF3, 0x40}, MUS_MP3},
                                         TypeCase{"Mpeg1Layer2", {0xFF, 0xFD, 0x90}, MUS_NONE},
                                         TypeCase{"AacFrame", {0xFF, 0xF1, 0x50}, MUS_NONE},
                                         TypeCase{"RiffRmid", Bytes(riffRmid), MUS_NONE},
                                         TypeCase{"Ogg", {'O', 'g', 'g', 'S', 0}, MUS_NONE},
                                         TypeCase{"CutMidiTag", {'M', 'T', 'h'}, MUS_NONE},
                                         TypeCase{"OneByte", {0xFF}, MUS_NONE},
                                         TypeCase{"Nothing", {}, MUS_NONE}),
                         [](const testing::TestParamInfo<TypeCase>& info) {
                             return std::string(info.param.name);
                         });

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// body runs in a child process, so that a device given up stays there; it must answer true and
// the child must end within ten seconds, whatever the audio thread does.
void ExpectInChild(const std::function<bool()>& body) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(10);
            std::exit(body() ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "");
}

// A MIDI file named .mp3 is repeated as the name asks; with nothing to play it must neither spin
// in the audio thread nor keep Stop from returning.
TEST_F(SdlSoundTest, EmptyMidiNamedMp3RepeatsWithoutSpinning) {
    WriteBytes(dir / "silent.mp3", EmptyMidi());
    ExpectInChild([&] {
        TSdlMediaControl media;
        TSdlWavePlayer wave;
        TCdSound sound(media, wave);
        sound.Play((dir / "silent.mp3").string());
        const double cpu = CpuSeconds();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const double used = CpuSeconds() - cpu;
        const double stop = Seconds([&] { sound.Stop(); });
        std::fprintf(stderr, "cpu %.2f s, stop %.2f s\n", used, stop);
        return used < 0.75 && stop < 0.5 && !TSdlAudio::GivenUp() && Mix_PlayingMusic() == 0;
    });
}

std::atomic<bool> audioStuck{false};

void StickInAudioThread(void*, Uint8*, int) {
    audioStuck = true;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// An audio thread that never comes back, as a decoder stuck in a loop leaves it: stopping
// returns all the same, every later call returns at once, and the process still exits.
TEST_F(SdlSoundTest, StoppingEndsWhenTheAudioThreadIsStuck) {
    ExpectInChild([&] {
        TSdlMediaControl media;
        TSdlWavePlayer wave;
        TCdSound sound(media, wave);
        sound.Play((dir / "tone.mp3").string());
        Mix_SetPostMix(StickInAudioThread, nullptr);
        while (!audioStuck) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const double stop = Seconds([&] { sound.Stop(); });
        const double again = Seconds([&] {
            sound.Play((dir / "tone.wav").string());
            sound.Stop();
            sound.Play((dir / "tune.mid").string());
            sound.Stop();
        });
        std::fprintf(stderr, "stop %.2f s, again %.2f s\n", stop, again);
        return stop < 1.0 && again < 0.1 && TSdlAudio::GivenUp() &&
               media.SendString(OpenCommand(dir / "tone.mp3")) == TSdlMediaControl::ErrNoDevice;
    });
}

// Each kind goes through the player to the mixer, which reports it playing until Stop.
class SdlSoundKindTest : public SdlSoundTest, public testing::WithParamInterface<const char*> {};

TEST_P(SdlSoundKindTest, PlaysThroughThePlayerUntilStop) {
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    TCdSound sound(media, wave);
    sound.Play((dir / GetParam()).string());
    const bool isWave = sound.Kind == skWave;
    EXPECT_EQ(Mix_PlayingMusic(), isWave ? 0 : 1);
    EXPECT_EQ(Mix_Playing(TSdlAudio::WaveChannel), isWave ? 1 : 0);
    ASSERT_TRUE(WaitForMixed(0.05));
    EXPECT_EQ(Mix_PlayingMusic() + Mix_Playing(-1), 1);
    sound.Stop();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

INSTANTIATE_TEST_SUITE_P(Files,
                         SdlSoundKindTest,
                         testing::Values("tone.mp3", "tone.wav", "tune.mid", "tune.rmi"));

struct LengthCase {
    const char* file;
    const char* play;
    double mixed;  // seconds of output to wait for
    int playing;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.file << ", " << c.play;
}

class SdlSoundLengthTest : public SdlSoundTest, public testing::WithParamInterface<LengthCase> {};

TEST_P(SdlSoundLengthTest, RepeatLoopsAndOnceEnds) {
    const LengthCase& c = GetParam();
    TSdlMediaControl media;
    ASSERT_EQ(media.SendString(OpenCommand(dir / c.file)), 0);
    ASSERT_EQ(media.SendString(c.play), 0);
    ASSERT_TRUE(WaitForMixed(c.mixed));
    EXPECT_EQ(Mix_PlayingMusic(), c.playing);
    EXPECT_EQ(media.SendString("stop mp"), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(media.SendString("close mp"), 0);
}

// The tone lasts 0.35 s. The tune's note lasts 0.25 s, and the synthesizer plays 2 s more for
// the reverb to fade before it calls a MIDI file ended.
INSTANTIATE_TEST_SUITE_P(Table,
                         SdlSoundLengthTest,
                         testing::Values(LengthCase{"tone.mp3", "play mp repeat", 1.5, 1},
                                         LengthCase{"tone.mp3", "play mp", 1.0, 0},
                                         LengthCase{"tune.mid", "play mp repeat", 3.5, 1},
                                         LengthCase{"tune.rmi", "play mp", 3.5, 0}));

TEST_F(SdlSoundTest, WaveLoopsBesideMusicAndIsReplacedThenStopped) {
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    ASSERT_EQ(media.SendString(OpenCommand(dir / "tone.mp3")), 0);
    ASSERT_EQ(media.SendString("play mp repeat"), 0);
    WriteBytes(dir / "long.wav", SquareWave(22050 * 5));
    ASSERT_TRUE(wave.PlaySound((dir / "long.wav").string().c_str(), 9));
    ASSERT_TRUE(wave.PlaySound((dir / "tone.wav").string().c_str(), 9));
    EXPECT_EQ(Mix_Playing(-1), 1);
    ASSERT_TRUE(WaitForMixed(1.0));
    EXPECT_EQ(Mix_Playing(TSdlAudio::WaveChannel), 1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(wave.PlaySound(nullptr, 1));
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SdlSoundTest, WaveWithoutLoopFlagPlaysOnce) {
    TSdlWavePlayer wave;
    ASSERT_TRUE(wave.PlaySound((dir / "tone.wav").string().c_str(), 1));
    ASSERT_TRUE(WaitForMixed(1.0));
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SdlSoundTest, FilesThatCannotPlayAnswerErrors) {
    WriteBytes(dir / "garbage.mp3", Bytes(3000, 0x5A));
    WriteBytes(dir / "empty.mid", {});
    WriteBytes(dir / "nodata.rmi", Bytes(riffRmid));
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    EXPECT_EQ(media.SendString(OpenCommand(dir / "missing.mp3")), TSdlMediaControl::ErrCannotRead);
    EXPECT_EQ(media.SendString(OpenCommand(dir)), TSdlMediaControl::ErrCannotRead);
    // A FIFO with no writer is refused at once rather than waited on.
    ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    EXPECT_EQ(media.SendString(OpenCommand(dir / "pipe.mp3")), TSdlMediaControl::ErrCannotRead);
    EXPECT_FALSE(wave.PlaySound((dir / "pipe.wav").string().c_str(), 9));
    for (const char* name : {"garbage.mp3", "empty.mid", "nodata.rmi"}) {
        EXPECT_EQ(media.SendString(OpenCommand(dir / name)), TSdlMediaControl::ErrCannotDecode)
            << name;
    }
    EXPECT_EQ(media.SendString("play mp repeat"), TSdlMediaControl::ErrNotOpen);
    EXPECT_EQ(media.SendString("stop mp"), TSdlMediaControl::ErrNotOpen);
    EXPECT_EQ(media.SendString("close mp"), TSdlMediaControl::ErrNotOpen);
    EXPECT_FALSE(wave.PlaySound((dir / "garbage.mp3").string().c_str(), 9));
    EXPECT_FALSE(wave.PlaySound((dir / "missing.wav").string().c_str(), 9));

    // The player goes through the same calls without noticing.
    TCdSound sound(media, wave);
    sound.Play((dir / "garbage.mp3").string());
    sound.Play((dir / "missing.wav").string());
    sound.Play((dir / "tone.mp3").string());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SdlSoundTest, UnknownCommandsAnswerAnErrorAndChangeNothing) {
    TSdlMediaControl media;
    ASSERT_EQ(media.SendString(OpenCommand(dir / "tone.mp3")), 0);
    for (const char* command : {"",
                                "play",
                                "PLAY MP",
                                "play mp2",
                                "play mp repeat ",
                                "stop mp wait",
                                "close all",
                                "status mp mode",
                                "open \" alias mp wait",
                                "open x alias mp wait",
                                "open \"a.mp3\" alias mp",
                                "open \"a.mp3\" alias mp wait extra"}) {
        EXPECT_EQ(media.SendString(command), TSdlMediaControl::ErrUnknownCommand) << command;
    }
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(media.SendString("play mp"), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(SdlSoundTest, SecondOpenFindsTheAliasInUse) {
    TSdlMediaControl media;
    ASSERT_EQ(media.SendString(OpenCommand(dir / "tone.mp3")), 0);
    ASSERT_EQ(media.SendString("play mp repeat"), 0);
    EXPECT_EQ(media.SendString(OpenCommand(dir / "tune.mid")), TSdlMediaControl::ErrAliasInUse);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(media.SendString("close mp"), 0);
    EXPECT_EQ(media.SendString(OpenCommand(dir / "tune.mid")), 0);
}

class SdlSoundQuoteTest : public SdlSoundTest, public testing::WithParamInterface<const char*> {};

// The part of the name before the quote names a file that does not exist, so only the whole name
// can be the one that plays.
TEST_P(SdlSoundQuoteTest, NameWithQuotePlaysThatFile) {
    const fs::path file = dir / GetParam();
    fs::copy_file(dir / "tone.mp3", file);
    TSdlMediaControl real;
    TRecordingMediaControl media(&real);
    TRecordingWavePlayer wave;
    TCdSound sound(media, wave);
    sound.Play(file.string());
    EXPECT_EQ(media.Commands, (std::vector<std::string>{OpenCommand(file), "play mp repeat"}));
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(wave.Calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Names,
                         SdlSoundQuoteTest,
                         testing::Values("a\" alias mp wait.mp3",
                                         "b\" type waveaudio alias x wait \".mp3",
                                         "\"c\".mp3"));

// Matches a stderr text of exactly one line, the one about the missing device.
class OneLogLine : public testing::MatcherInterface<const std::string&> {
public:
    bool MatchAndExplain(const std::string& err, testing::MatchResultListener*) const override {
        return std::count(err.begin(), err.end(), '\n') == 1 &&
               err.starts_with("kavro: sound: no audio device: ");
    }
    void DescribeTo(std::ostream* os) const override {
        *os << "is one line about the missing audio device";
    }
};

// With no audio device, every call answers an error and one line goes to stderr for the process.
TEST(SdlSoundDeviceTest, MissingDeviceFailsQuietlyAndLogsOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            TSdlMediaControl media;
            TSdlWavePlayer wave;
            const bool failed =
                media.SendString("open \"" KAVRO_TEST_DATA "/tone.mp3\" alias mp wait") ==
                    TSdlMediaControl::ErrNoDevice &&
                media.SendString("play mp repeat") == TSdlMediaControl::ErrNotOpen &&
                !wave.PlaySound(KAVRO_TEST_DATA "/tone.mp3", 9) && wave.PlaySound(nullptr, 1);
            TSdlMediaControl again;
            again.SendString("open \"" KAVRO_TEST_DATA "/tone.mp3\" alias mp wait");
            std::exit(failed ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        testing::Matcher<const std::string&>(new OneLogLine));
}

struct DiskCase {
    const char* file;
    int minimumPeak;
};

void PrintTo(const DiskCase& c, std::ostream* os) {
    *os << c.file;
}

class SdlSoundDiskTest : public SdlSoundTest, public testing::WithParamInterface<DiskCase> {
protected:
    void SetUp() override {
        SdlSoundTest::SetUp();
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        savedDriver = driver ? driver : "";
    }
    void TearDown() override {
        setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
        SdlSoundTest::TearDown();
    }

    std::string savedDriver;
};

// The disk driver writes the mixed output to a file: it must hold real sound, not silence.
TEST_P(SdlSoundDiskTest, OutputIsNotSilent) {
    const fs::path raw = dir / "out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    {
        TSdlMediaControl media;
        TSdlWavePlayer wave;
        TCdSound sound(media, wave);
        sound.Play((dir / GetParam().file).string());
        ASSERT_TRUE(WaitForMixed(0.2));
    }
    std::ifstream in(raw, std::ios::binary);
    std::vector<int16_t> samples(fs::file_size(raw) / 2);
    in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
    int peak = 0;
    for (int16_t s : samples) {
        peak = std::max(peak, std::abs(int(s)));
    }
    EXPECT_GE(peak, GetParam().minimumPeak);
}

// The tone and the wave peak near half of full scale and 8,000; a piano note is quieter.
INSTANTIATE_TEST_SUITE_P(Files,
                         SdlSoundDiskTest,
                         testing::Values(DiskCase{"tone.mp3", 8000},
                                         DiskCase{"tone.wav", 6000},
                                         DiskCase{"tune.mid", 500},
                                         DiskCase{"tune.rmi", 500}));

}  // namespace
