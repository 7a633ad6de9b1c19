#include <bass.h>

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const QWORD kNone = static_cast<QWORD>(-1);
const DWORD kStopped = BASS_ACTIVE_STOPPED;
const DWORD kPlaying = BASS_ACTIVE_PLAYING;
const int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// A 440 Hz tone; false when this libsndfile cannot write the format.
bool WriteTone(const std::string& path, int format, int rate, int channels, sf_count_t frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_format_check(&info) ? sf_open(path.c_str(), SFM_WRITE, &info) : nullptr;
    if (!file)
        return false;
    std::vector<float> samples(static_cast<size_t>(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * std::sin(6.2831853f * 440.0f * static_cast<float>(i / channels) / rate);
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return true;
}

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets an environment variable for one scope, then puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() { m_Old ? setenv(m_Name, m_Old->c_str(), 1) : unsetenv(m_Name); }

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

// Every test leaves the library freed for the next one. Device -1 means SDL's
// dummy driver unless a test names another.
class Bass : public ::testing::Test
{
protected:
    void TearDown() override { BASS_Free(); }
    ScopedEnv m_DummyAudio{"SDL_AUDIODRIVER", "dummy"};
    std::string File(const std::string& name) const { return (m_Dir.Path() / name).string(); }
    std::string Tone(int rate, int channels, sf_count_t frames) const
    {
        std::string path = File("tone.wav");
        return WriteTone(path, kWav, rate, channels, frames) ? path : std::string();
    }
    TempDir m_Dir;
};

TEST_F(Bass, InitRules)
{
    std::string path = Tone(44100, 2, 4410);
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_ChannelPlay(1, FALSE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

    EXPECT_FALSE(BASS_Init(7, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);

    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
}

TEST_F(Bass, FreeReleasesEveryStream)
{
    std::string path = Tone(44100, 2, 4410);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    HSTREAM a = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    HSTREAM b = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(BASS_ChannelPlay(a, FALSE));
    ASSERT_TRUE(BASS_Free());

    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ChannelGetLength(a), kNone);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_StreamFree(b));
}

TEST_F(Bass, InvalidHandlesFail)
{
    std::string path = Tone(44100, 2, 4410);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    HSTREAM freed = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(freed, 0u);
    ASSERT_TRUE(BASS_StreamFree(freed));

    for (DWORD handle : {DWORD{0}, freed})
    {
        SCOPED_TRACE(handle);
        EXPECT_EQ(BASS_ChannelGetPosition(handle), kNone);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        // The player's clock reads 0 s when there is no stream.
        EXPECT_EQ(BASS_ChannelBytes2Seconds(handle, kNone), 0.0f);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(handle, 1.0f), kNone);
        EXPECT_EQ(BASS_ChannelGetLength(handle), kNone);
        EXPECT_FALSE(BASS_ChannelSetPosition(handle, 0));
        EXPECT_FALSE(BASS_ChannelPlay(handle, FALSE));
        EXPECT_FALSE(BASS_ChannelStop(handle));
        EXPECT_EQ(BASS_ChannelIsActive(handle), kStopped);
        EXPECT_FALSE(BASS_StreamFree(handle));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
}

TEST_F(Bass, UnknownAudioDriverFailsInit)
{
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
        EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
        int error = BASS_ErrorGetCode();
        EXPECT_TRUE(error == BASS_ERROR_DRIVER || error == BASS_ERROR_DEVICE) << error;
    }
    EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)) << "a failed Init leaves nothing behind";
}

TEST_F(Bass, AlsaOutputPrintsNothing)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "alsa");
    std::string log = File("stderr.txt");
    std::fflush(stderr);
    int kept = dup(2);
    int sink = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(sink, 0);
    dup2(sink, 2);
    close(sink);

    // Without a sound card this fails; with one it opens. Either way, quietly.
    if (BASS_Init(-1, 44100, 0, nullptr, nullptr))
        BASS_Free();

    std::fflush(stderr);
    dup2(kept, 2);
    close(kept);
    std::vector<char> printed = ReadAll(log);
    EXPECT_TRUE(printed.empty()) << std::string(printed.begin(), printed.end());
}

TEST_F(Bass, MissingOrUndecodableFileFails)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, File("absent.ogg").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, m_Dir.Path().c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

    m_Dir.Write("junk.ogg", "not an audio file at all, just text");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, File("junk.ogg").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

TEST_F(Bass, WindowsPathsAndMemoryAndFileRanges)
{
    std::string path = Tone(44100, 2, 4410);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));

    std::string windows = path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    HSTREAM fromPath = BASS_StreamCreateFile(FALSE, windows.c_str(), 0, 0, 0);
    EXPECT_EQ(BASS_ChannelGetLength(fromPath), 4410u * 4);

    std::vector<char> bytes = ReadAll(path);
    HSTREAM fromMemory = BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), 0);
    EXPECT_EQ(BASS_ChannelGetLength(fromMemory), 4410u * 4);

    m_Dir.Write("padded.bin", std::string(100, 'x') + std::string(bytes.begin(), bytes.end()) + std::string(50, 'y'));
    HSTREAM fromRange = BASS_StreamCreateFile(FALSE, File("padded.bin").c_str(), 100, bytes.size(), 0);
    EXPECT_EQ(BASS_ChannelGetLength(fromRange), 4410u * 4);
}

struct FormatCase
{
    const char* name;
    int format;
    int rate;
    int channels;
};
// Keeps the discovered test names free of raw bytes.
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.name << " " << c.rate << " Hz " << c.channels << " ch";
}

class BassFormat : public Bass, public ::testing::WithParamInterface<FormatCase>
{
};

TEST_P(BassFormat, DecodesToStereoBytesAtTheFileRate)
{
    const FormatCase& c = GetParam();
    const sf_count_t frames = c.rate * 3 / 2;
    std::string path = File(std::string("tone.") + c.name);
    if (!WriteTone(path, c.format, c.rate, c.channels, frames))
        GTEST_SKIP() << "this libsndfile cannot write " << c.name;
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();

    QWORD length = BASS_ChannelGetLength(stream);
    EXPECT_EQ(length, static_cast<QWORD>(frames) * 4);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, length), 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Formats, BassFormat,
                         ::testing::Values(FormatCase{"wav", kWav, 22050, 1}, FormatCase{"wav", kWav, 44100, 2},
                                           FormatCase{"wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 44100, 6},
                                           FormatCase{"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 22050, 1},
                                           FormatCase{"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2},
                                           FormatCase{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1},
                                           FormatCase{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2},
                                           FormatCase{"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2}),
                         [](const ::testing::TestParamInfo<FormatCase>& info)
                         {
                             return std::string(info.param.name) + "_" + std::to_string(info.param.rate) + "_" +
                                    std::to_string(info.param.channels) + "ch";
                         });

TEST_F(Bass, SecondsAndBytesAgree)
{
    std::string path = Tone(44100, 1, 44100 * 70);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);

    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 60.0f)));
    EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), 60.0f);

    // A seek to a whole millisecond reads back as that millisecond once the
    // player truncates it: the frame chosen is never before the time.
    for (uint32_t ms : {0u, 10u, 999u, 1234u, 12345u, 59999u})
    {
        SCOPED_TRACE(ms);
        float s = static_cast<float>(ms / 1000.0);
        QWORD bytes = BASS_ChannelSeconds2Bytes(stream, s);
        EXPECT_EQ(bytes % 4, 0u);
        float back = BASS_ChannelBytes2Seconds(stream, bytes);
        EXPECT_LT(back, s + 1.0f / 44100);
        EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(back) * 1000.0)), ms);
    }
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.01f), 441u * 4);
}

TEST_F(Bass, SeekingBeyondTheEndFails)
{
    std::string path = Tone(22050, 2, 22050);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    QWORD length = BASS_ChannelGetLength(stream);

    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 4000));
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, length + 4));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.0f)));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 4000u);
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, length));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);
}

// Device 0 (the silent device) and device -1 on SDL's dummy driver, with a
// file at the device's rate and one that must be resampled.
struct PlaybackCase
{
    const char* name;
    int device;
    int fileRate;
};
void PrintTo(const PlaybackCase& c, std::ostream* os)
{
    *os << c.name;
}

class BassPlayback : public Bass, public ::testing::WithParamInterface<PlaybackCase>
{
protected:
    HSTREAM Open(double seconds)
    {
        std::string path = Tone(GetParam().fileRate, 2, static_cast<sf_count_t>(GetParam().fileRate * seconds));
        if (path.empty() || !BASS_Init(GetParam().device, 44100, 0, nullptr, nullptr))
            return 0;
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    }

    static double Seconds(HSTREAM stream) { return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)); }

    // Reads the position every millisecond until `until` or the end; it may only grow.
    static QWORD Watch(HSTREAM stream, Clock::time_point until)
    {
        QWORD length = BASS_ChannelGetLength(stream);
        QWORD last = BASS_ChannelGetPosition(stream);
        while (Clock::now() < until && BASS_ChannelIsActive(stream) == kPlaying)
        {
            std::this_thread::sleep_for(1ms);
            QWORD pos = BASS_ChannelGetPosition(stream);
            EXPECT_GE(pos, last);
            EXPECT_LE(pos, length);
            EXPECT_EQ(pos % 4, 0u);
            if (pos < last || pos > length)
                break;
            last = pos;
        }
        return last;
    }
};

TEST_P(BassPlayback, PositionFollowsRealTimeAndStopFreezesIt)
{
    HSTREAM stream = Open(10.0);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.0f)));
    EXPECT_EQ(Seconds(stream), 2.0);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kStopped);

    Clock::time_point start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), kPlaying);
    Watch(stream, start + 1s);
    double advanced = Seconds(stream) - 2.0;
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    // Loose: a loaded machine delays callbacks, but the clock never runs far ahead.
    EXPECT_GT(advanced, 0.5 * elapsed - 0.2);
    EXPECT_LT(advanced, 1.05 * elapsed + 0.03);

    ASSERT_TRUE(BASS_ChannelStop(stream));
    QWORD stopped = BASS_ChannelGetPosition(stream);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kStopped);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), stopped);

    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_GE(Watch(stream, Clock::now() + 300ms), stopped);
    EXPECT_GT(BASS_ChannelGetPosition(stream), stopped);

    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_LT(Seconds(stream), 0.2);
    EXPECT_EQ(BASS_ChannelIsActive(stream), kPlaying);
}

TEST_P(BassPlayback, SeekWhilePlayingMovesTheClock)
{
    HSTREAM stream = Open(10.0);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 6.0f)));
    double now = Seconds(stream);
    EXPECT_GE(now, 6.0);
    EXPECT_LT(now, 6.1);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.0f)));
    EXPECT_LT(Seconds(stream), 1.1);
    Watch(stream, Clock::now() + 300ms);
    EXPECT_GT(Seconds(stream), 1.0);
}

TEST_P(BassPlayback, StreamStopsAtItsEnd)
{
    HSTREAM stream = Open(0.4);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    QWORD length = BASS_ChannelGetLength(stream);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    Watch(stream, Clock::now() + 5s);

    EXPECT_EQ(BASS_ChannelIsActive(stream), kStopped);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);

    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), kPlaying);
    EXPECT_LT(BASS_ChannelGetPosition(stream), length);
}

TEST_P(BassPlayback, StreamsPlayIndependently)
{
    HSTREAM a = Open(10.0);
    ASSERT_NE(a, 0u) << BASS_ErrorGetCode();
    HSTREAM b = BASS_StreamCreateFile(FALSE, File("tone.wav").c_str(), 0, 0, 0);
    ASSERT_NE(b, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(a, FALSE));
    Watch(a, Clock::now() + 300ms);
    EXPECT_GT(BASS_ChannelGetPosition(a), 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(b), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(b), kStopped);

    ASSERT_TRUE(BASS_ChannelPlay(b, FALSE));
    ASSERT_TRUE(BASS_ChannelStop(a));
    QWORD aStopped = BASS_ChannelGetPosition(a);
    Watch(b, Clock::now() + 300ms);
    EXPECT_GT(BASS_ChannelGetPosition(b), 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(a), aStopped);

    ASSERT_TRUE(BASS_StreamFree(a));
    EXPECT_EQ(BASS_ChannelIsActive(b), kPlaying);
}

INSTANTIATE_TEST_SUITE_P(Devices, BassPlayback,
                         ::testing::Values(PlaybackCase{"Silent", 0, 44100}, PlaybackCase{"Silent22k", 0, 22050},
                                           PlaybackCase{"SdlDummy", -1, 44100}, PlaybackCase{"SdlDummy22k", -1, 22050}),
                         [](const ::testing::TestParamInfo<PlaybackCase>& info) { return info.param.name; });

} // namespace
