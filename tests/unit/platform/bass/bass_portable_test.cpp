// The audio library's API on the silent device, against whichever build of
// the library the host has: decoding of WAVE forms and of the shipped Ogg
// Vorbis music, file ranges, conversions, and the clock.
#include <bass.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>(v >> 8 & 0xff);
}

void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}

// A RIFF WAVE file of `frames` frames of a quiet ramp; tag 0xFFFE writes the
// extensible header.
std::string Wave(uint32_t tag, int channels, uint32_t rate, uint32_t bits, uint32_t frames)
{
    const uint32_t block = static_cast<uint32_t>(channels) * bits / 8;
    std::string fmt;
    Put16(fmt, tag);
    Put16(fmt, static_cast<uint32_t>(channels));
    Put32(fmt, rate);
    Put32(fmt, rate * block);
    Put16(fmt, block);
    Put16(fmt, bits);
    if (tag == 0xFFFE)
    {
        Put16(fmt, 22);
        Put16(fmt, bits);
        Put32(fmt, channels == 1 ? 0x4 : 0x3);
        Put16(fmt, 1); // PCM sub-format
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string data(static_cast<size_t>(frames) * block, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(bits == 8 ? 128 + i % 16 : (i % block == block - 1 ? 0 : i % 7));

    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()));
    file += "WAVE";
    file += "fmt ";
    Put32(file, static_cast<uint32_t>(fmt.size()));
    file += fmt;
    file += "data";
    Put32(file, static_cast<uint32_t>(data.size()));
    file += data;
    return file;
}

class BassApi : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override
    {
        BASS_Free();
        for (const auto& path : m_Files)
            std::remove(path.c_str());
    }

    HSTREAM FromMemory(const std::string& bytes)
    {
        m_Memory.push_back(bytes);
        return BASS_StreamCreateFile(TRUE, m_Memory.back().data(), 0, m_Memory.back().size(), 0);
    }

    // A file in the working directory, removed after the test.
    std::string File(const std::string& name, const std::string& bytes)
    {
        std::ofstream(name, std::ios::binary) << bytes;
        m_Files.push_back(name);
        return name;
    }

private:
    std::vector<std::string> m_Memory;
    std::vector<std::string> m_Files;
};

struct WaveCase
{
    const char* name;
    uint32_t tag;
    int channels;
    uint32_t rate;
    uint32_t bits;
};

class BassWave : public BassApi, public ::testing::WithParamInterface<WaveCase>
{
};

TEST_P(BassWave, DecodesToStereoBytesAtTheFileRate)
{
    const WaveCase& c = GetParam();
    HSTREAM stream = FromMemory(Wave(c.tag, c.channels, c.rate, c.bits, 1234));
    ASSERT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelGetLength(stream), 1234u * 4);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.0f), uint64_t{c.rate} * 4);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BassWave,
    ::testing::Values(WaveCase{"u8_mono", 1, 1, 22050, 8}, WaveCase{"s16_stereo", 1, 2, 44100, 16},
                      WaveCase{"s24_stereo", 1, 2, 48000, 24}, WaveCase{"s32_mono", 1, 1, 8000, 32},
                      WaveCase{"f32_stereo", 3, 2, 44100, 32}, WaveCase{"f64_mono", 3, 1, 32000, 64},
                      WaveCase{"s16_six_channels", 1, 6, 44100, 16}, WaveCase{"extensible_s16", 0xFFFE, 2, 44100, 16}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BassApi, RejectsWhatItCannotOpenOrDecode)
{
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "no-such-file.wav", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(FromMemory(std::string(256, 'x')), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    std::string path = File("quorl-bass-short.wav", Wave(1, 2, 44100, 16, 10));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 1000, 0, 0), 0u) << "offset past the end";
}

TEST_F(BassApi, DecodesARangeOfAFile)
{
    std::string wave = Wave(1, 2, 44100, 16, 500);
    std::string path = File("quorl-bass-range.bin", std::string(100, 'j') + wave + std::string(64, 'k'));
    HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 100, wave.size(), 0);
    ASSERT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelGetLength(stream), 500u * 4);
}

TEST_F(BassApi, DecodesTheShippedMusic)
{
    HSTREAM stream = BASS_StreamCreateFile(FALSE, QUORL_DATA_DIR "/music.ogg", 0, 0, 0);
    ASSERT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.0f), 44100u * 4);
    EXPECT_GT(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream)), 10.0f);
}

// Past its first seconds a file goes on decoding after the stream exists: its
// length is known at once, and freeing it meanwhile stops the decoder.
TEST_F(BassApi, LongFilesHaveTheirLengthAtOnceAndFreeWhileDecoding)
{
    const uint32_t frames = 8000 * 30;
    std::string path = File("quorl-bass-long.wav", Wave(1, 2, 8000, 16, frames));
    for (int i = 0; i < 3; ++i)
    {
        HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
        EXPECT_EQ(BASS_ChannelGetLength(stream), uint64_t{frames} * 4);
        ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 29.0f)));
        EXPECT_TRUE(BASS_StreamFree(stream));
    }
    HSTREAM kept = FromMemory(Wave(1, 1, 8000, 16, frames));
    ASSERT_NE(kept, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(kept), uint64_t{frames} * 4) << "left to the library's own shutdown";
}

TEST_F(BassApi, ConversionsRoundTripAndBadHandlesSayNothing)
{
    HSTREAM stream = FromMemory(Wave(1, 2, 44100, 16, 44100));
    ASSERT_NE(stream, 0u);
    for (float seconds : {0.0f, 0.01f, 0.123f, 0.5f, 0.999f})
    {
        QWORD bytes = BASS_ChannelSeconds2Bytes(stream, seconds);
        ASSERT_TRUE(BASS_ChannelSetPosition(stream, bytes));
        EXPECT_GE(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), seconds);
        if (bytes > 0)
        {
            EXPECT_LT(BASS_ChannelBytes2Seconds(stream, bytes - 4), seconds) << "the frame before reads earlier";
        }
    }
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 44101u * 4));
    EXPECT_EQ(BASS_ChannelGetPosition(stream + 1), static_cast<QWORD>(-1));
    EXPECT_EQ(BASS_ChannelBytes2Seconds(stream + 1, 4000), 0.0f);
}

TEST_F(BassApi, SilentDeviceClockRunsToTheEndAndStops)
{
    HSTREAM stream = FromMemory(Wave(1, 2, 44100, 16, 44100 / 5));
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.1f)));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    QWORD previous = BASS_ChannelGetPosition(stream);
    EXPECT_GE(previous, 4410u * 4);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING && std::chrono::steady_clock::now() < deadline)
    {
        QWORD now = BASS_ChannelGetPosition(stream);
        ASSERT_GE(now, previous);
        ASSERT_LE(now, length);
        previous = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);
}

} // namespace
