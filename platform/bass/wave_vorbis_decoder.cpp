// Decoding where libsndfile is not at hand (Windows, the browser): RIFF WAVE
// (integer PCM of 8 to 32 bits, 32- and 64-bit float) and Ogg Vorbis through
// stb_vorbis. A file range is read whole and decoded from memory, all of it
// in the call.
#include "decoder.h"

#include "downmix.h"
#include "file_range.h"

#include <bass.h>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace bass
{
namespace
{

uint32_t Le16(const unsigned char* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}

uint32_t Le32(const unsigned char* p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

struct WaveFormat
{
    uint32_t tag = 0;
    int channels = 0;
    uint32_t rate = 0;
    uint32_t blockAlign = 0;
    uint32_t bits = 0;
};

// One sample of the file's format as a float in [-1, 1].
float Sample(const unsigned char* p, const WaveFormat& f)
{
    if (f.tag == 3)
    {
        if (f.bits == 32)
        {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        double v;
        std::memcpy(&v, p, 8);
        return static_cast<float>(v);
    }
    switch (f.bits)
    {
    case 8: return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    case 16: return static_cast<float>(static_cast<int16_t>(Le16(p))) / 32768.0f;
    case 24:
        return static_cast<float>(
                   static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24)) /
               2147483648.0f;
    default: return static_cast<float>(static_cast<int32_t>(Le32(p))) / 2147483648.0f;
    }
}

bool Supported(const WaveFormat& f)
{
    if (f.channels < 1 || f.rate < 1)
        return false;
    bool sizes = f.tag == 1 ? (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32)
                            : f.tag == 3 && (f.bits == 32 || f.bits == 64);
    return sizes && f.blockAlign == static_cast<uint32_t>(f.channels) * (f.bits / 8);
}

int DecodeWave(const unsigned char* data, uint64_t size, std::unique_ptr<Pcm>& out)
{
    WaveFormat format;
    bool haveFormat = false;
    uint64_t pos = 12;
    while (pos + 8 <= size)
    {
        const unsigned char* chunk = data + pos;
        uint64_t length = Le32(chunk + 4);
        uint64_t body = pos + 8;
        uint64_t available = std::min(length, size - body);
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            if (available < 16)
                return BASS_ERROR_FILEFORM;
            const unsigned char* f = data + body;
            format.tag = Le16(f);
            format.channels = static_cast<int>(Le16(f + 2));
            format.rate = Le32(f + 4);
            format.blockAlign = Le16(f + 12);
            format.bits = Le16(f + 14);
            // WAVE_FORMAT_EXTENSIBLE names the sample type in its sub-format GUID.
            if (format.tag == 0xFFFE && available >= 26)
                format.tag = Le16(f + 24);
            haveFormat = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            if (!haveFormat)
                return BASS_ERROR_FILEFORM;
            if (!Supported(format))
                return BASS_ERROR_FORMAT;
            const uint64_t frames = available / format.blockAlign;
            const uint32_t bytesPerSample = format.bits / 8;
            const uint64_t chunkFrames = 4096;
            std::vector<float> floats(static_cast<size_t>(chunkFrames * format.channels));
            std::vector<int16_t> samples;
            samples.reserve(static_cast<size_t>(frames * 2));
            const unsigned char* p = data + body;
            for (uint64_t done = 0; done < frames;)
            {
                uint64_t n = std::min(chunkFrames, frames - done);
                for (uint64_t i = 0; i < n * format.channels; ++i, p += bytesPerSample)
                    floats[i] = Sample(p, format);
                DownmixToStereo(floats.data(), format.channels, n, samples);
                done += n;
            }
            out = std::make_unique<Pcm>(format.rate, std::move(samples));
            return BASS_OK;
        }
        pos = body + length + (length & 1);
    }
    return BASS_ERROR_FILEFORM;
}

int DecodeVorbis(const unsigned char* data, uint64_t size, std::unique_ptr<Pcm>& out)
{
    if (size > static_cast<uint64_t>(std::numeric_limits<int>::max()))
        return BASS_ERROR_FILEFORM;
    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_memory(data, static_cast<int>(size), &error, nullptr);
    if (!vorbis)
        return BASS_ERROR_FILEFORM;
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    if (info.channels < 1 || info.sample_rate < 1)
    {
        stb_vorbis_close(vorbis);
        return BASS_ERROR_FORMAT;
    }
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(stb_vorbis_stream_length_in_samples(vorbis)) * 2);
    std::vector<float> interleaved;
    for (;;)
    {
        int channels = 0;
        float** planes = nullptr;
        int frames = stb_vorbis_get_frame_float(vorbis, &channels, &planes);
        if (frames <= 0)
            break;
        interleaved.resize(static_cast<size_t>(frames) * channels);
        for (int f = 0; f < frames; ++f)
        {
            for (int c = 0; c < channels; ++c)
                interleaved[static_cast<size_t>(f) * channels + c] = planes[c][f];
        }
        DownmixToStereo(interleaved.data(), channels, static_cast<uint64_t>(frames), samples);
    }
    stb_vorbis_close(vorbis);
    out = std::make_unique<Pcm>(info.sample_rate, std::move(samples));
    return BASS_OK;
}

} // namespace

int DecodeFile(const char* path, uint64_t offset, uint64_t length, std::unique_ptr<Pcm>& out)
{
    std::vector<unsigned char> bytes;
    const int result = ReadFileRange(path, offset, length, bytes);
    if (result != BASS_OK)
        return result;
    if (bytes.empty())
        return BASS_ERROR_FILEFORM;
    return DecodeMemory(bytes.data(), bytes.size(), out);
}

int DecodeMemory(const void* data, uint64_t length, std::unique_ptr<Pcm>& out)
{
    if (!data || length == 0)
        return BASS_ERROR_ILLPARAM;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (length >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0)
        return DecodeWave(bytes, length, out);
    if (length >= 4 && std::memcmp(bytes, "OggS", 4) == 0)
        return DecodeVorbis(bytes, length, out);
    return BASS_ERROR_FILEFORM;
}

} // namespace bass
