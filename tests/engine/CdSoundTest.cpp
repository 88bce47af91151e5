#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>

#include "engine/CdSound.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingWavePlayer.h"

namespace {

using Commands = std::vector<std::string>;

std::string OpenCommand(const std::string& name) {
    return "open \"" + name + "\" alias mp wait";
}

class CdSoundTest : public testing::Test {
protected:
    TRecordingMediaControl media;
    TRecordingWavePlayer wave;
};

TEST_F(CdSoundTest, NewPlayerIsIdleAndStopSendsNothing) {
    TCdSound sound(media, wave);
    EXPECT_TRUE(sound.Idle);
    EXPECT_EQ(sound.Kind, skNone);
    sound.Stop();
    EXPECT_TRUE(sound.Idle);
    EXPECT_TRUE(media.Commands.empty());
    EXPECT_TRUE(wave.Calls.empty());
}

TEST_F(CdSoundTest, Mp3TwiceStopsBeforeTheSecondOpen) {
    TCdSound sound(media, wave);
    sound.Play("a.mp3");
    sound.Play("a.mp3");
    EXPECT_EQ(media.Commands,
              (Commands{OpenCommand("a.mp3"),
                        "play mp repeat",
                        "stop mp",
                        "close mp",
                        OpenCommand("a.mp3"),
                        "play mp repeat"}));
    EXPECT_FALSE(sound.Idle);
    EXPECT_EQ(sound.Kind, skMp3);
    EXPECT_TRUE(wave.Calls.empty());
}

struct MediaCase {
    const char* fileName;
    TSoundKind kind;
    const char* play;
};

void PrintTo(const MediaCase& c, std::ostream* os) {
    *os << c.fileName;
}

class CdSoundMediaTest : public CdSoundTest, public testing::WithParamInterface<MediaCase> {};

// The name goes into the open command exactly as given, quotes and capitals included.
TEST_P(CdSoundMediaTest, OpensTheNameUnchangedThenPlaysAndStopsWithStopClose) {
    const MediaCase& c = GetParam();
    {
        TCdSound sound(media, wave);
        sound.Play(c.fileName);
        EXPECT_EQ(sound.Kind, c.kind);
        EXPECT_EQ(media.Commands, (Commands{OpenCommand(c.fileName), c.play}));
        sound.Stop();
        EXPECT_TRUE(sound.Idle);
        EXPECT_EQ(sound.Kind, skNone);
    }
    EXPECT_EQ(media.Commands, (Commands{OpenCommand(c.fileName), c.play, "stop mp", "close mp"}));
    EXPECT_TRUE(wave.Calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds,
    CdSoundMediaTest,
    testing::Values(MediaCase{"tune.MID", skMidi, "play mp"},
                    MediaCase{"x.rmi", skRmi, "play mp"},
                    MediaCase{"C:\\Music\\Song.Mp3", skMp3, "play mp repeat"},
                    MediaCase{"/home/li/my.songs/a\" b.mp3", skMp3, "play mp repeat"},
                    MediaCase{"/tmp/.mid", skMidi, "play mp"}));

class CdSoundSilentTest : public CdSoundTest, public testing::WithParamInterface<const char*> {};

TEST_P(CdSoundSilentTest, PlaysNothingButCountsAsPlayingUntilStop) {
    TCdSound sound(media, wave);
    sound.Play(GetParam());
    EXPECT_FALSE(sound.Idle);
    EXPECT_EQ(sound.Kind, skNone);
    sound.Stop();
    EXPECT_TRUE(sound.Idle);
    EXPECT_TRUE(media.Commands.empty());
    EXPECT_TRUE(wave.Calls.empty());
}

INSTANTIATE_TEST_SUITE_P(NoKnownExtension,
                         CdSoundSilentTest,
                         testing::Values("sound.ogg",
                                         "sound",
                                         "",
                                         "c:\\dir.x\\name",
                                         "/home/li/dir.mp3/name",
                                         "c:name.wav:x",
                                         "song.mp3.bak",
                                         "song.midi"));

TEST_F(CdSoundTest, WaveLoopsAndStopsWithNoNameAndNoMediaCommand) {
    TCdSound sound(media, wave);
    sound.Play("/snd/Rain.WAV");
    EXPECT_EQ(sound.Kind, skWave);
    sound.Stop();
    EXPECT_EQ(wave.Calls, (std::vector<TWaveCall>{{"/snd/Rain.WAV", 9}, {std::nullopt, 1}}));
    EXPECT_TRUE(media.Commands.empty());
}

TEST_F(CdSoundTest, SwitchingKindsStopsTheOldServiceFirst) {
    TCdSound sound(media, wave);
    sound.Play("a.wav");
    sound.Play("b.mid");
    sound.Play("c.wav");
    EXPECT_EQ(wave.Calls, (std::vector<TWaveCall>{{"a.wav", 9}, {std::nullopt, 1}, {"c.wav", 9}}));
    EXPECT_EQ(media.Commands, (Commands{OpenCommand("b.mid"), "play mp", "stop mp", "close mp"}));
}

TEST_F(CdSoundTest, DestructionWhilePlayingStops) {
    {
        TCdSound mp3(media, wave);
        TCdSound wav(media, wave);
        mp3.Play("a.mp3");
        wav.Play("b.wav");
    }
    EXPECT_EQ(media.Commands,
              (Commands{OpenCommand("a.mp3"), "play mp repeat", "stop mp", "close mp"}));
    EXPECT_EQ(wave.Calls, (std::vector<TWaveCall>{{"b.wav", 9}, {std::nullopt, 1}}));
}

TEST_F(CdSoundTest, DestructionWhenIdleSendsNothing) {
    {
        TCdSound sound(media, wave);
        sound.Play("a.mp3");
        sound.Stop();
    }
    EXPECT_EQ(media.Commands.size(), 4u);
    EXPECT_EQ(wave.Calls.size(), 0u);
}

// Failures of the services are not seen: the player stays playing and still stops.
TEST_F(CdSoundTest, FailingServicesChangeNothing) {
    media.Answer = 263;
    wave.Answer = false;
    TCdSound sound(media, wave);
    sound.Play("missing.mid");
    EXPECT_FALSE(sound.Idle);
    EXPECT_EQ(sound.Kind, skMidi);
    sound.Play("missing.wav");
    sound.Stop();
    EXPECT_EQ(media.Commands,
              (Commands{OpenCommand("missing.mid"), "play mp", "stop mp", "close mp"}));
    EXPECT_EQ(wave.Calls, (std::vector<TWaveCall>{{"missing.wav", 9}, {std::nullopt, 1}}));
}

struct KindCase {
    const char* ext;
    TSoundKind kind;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << '"' << c.ext << '"';
}

class KindFromExtensionTest : public CdSoundTest, public testing::WithParamInterface<KindCase> {};

TEST_P(KindFromExtensionTest, MatchesTheWholeTextIgnoringAsciiCase) {
    TCdSound sound(media, wave);
    sound.Kind = skWave;
    sound.KindFromExtension(GetParam().ext);
    EXPECT_EQ(sound.Kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         KindFromExtensionTest,
                         testing::Values(KindCase{".mp3", skMp3},
                                         KindCase{".MP3", skMp3},
                                         KindCase{".wav", skWave},
                                         KindCase{".WaV", skWave},
                                         KindCase{".mid", skMidi},
                                         KindCase{".MID", skMidi},
                                         KindCase{".rmi", skRmi},
                                         KindCase{".Rmi", skRmi},
                                         KindCase{"mp3", skNone},
                                         KindCase{".mp3 ", skNone},
                                         KindCase{".mp", skNone},
                                         KindCase{".midi", skNone},
                                         KindCase{"", skNone},
                                         KindCase{".", skNone}));

}  // namespace

// A FIFO or a folder as the sound is never handed to a player, which would wait on the FIFO
// forever; the player stays idle.
TEST(CdSoundFiles, FifoAndFolderAreNotPlayed) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe.mp3").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    TRecordingMediaControl media;
    TRecordingWavePlayer wave;
    TCdSound sound(media, wave);
    for (const std::string& name : {fifo, dir.path().toStdString() + "/"}) {
        sound.Play(name);
        EXPECT_TRUE(sound.Idle) << name;
    }
    EXPECT_TRUE(media.Commands.empty());
    EXPECT_TRUE(wave.Calls.empty());
}
