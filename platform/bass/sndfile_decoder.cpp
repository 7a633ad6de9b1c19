#include "decoder.h"

#include "downmix.h"
#include "host/host_file.h"

#include <bass.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace bass
{
namespace
{

// A block of memory that libsndfile reads through its virtual I/O.
struct Source
{
    const unsigned char* memory = nullptr;
    sf_count_t size = 0;
    sf_count_t pos = 0; // relative to the window
};

sf_count_t SourceLength(void* user)
{
    return static_cast<Source*>(user)->size;
}

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user)
{
    Source& s = *static_cast<Source*>(user);
    sf_count_t base = whence == SEEK_CUR ? s.pos : whence == SEEK_END ? s.size : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > s.size)
        return -1;
    s.pos = target;
    return s.pos;
}

sf_count_t SourceRead(void* dst, sf_count_t count, void* user)
{
    Source& s = *static_cast<Source*>(user);
    sf_count_t n = std::max<sf_count_t>(0, std::min(count, s.size - s.pos));
    if (n == 0)
        return 0;
    std::memcpy(dst, s.memory + s.pos, static_cast<size_t>(n));
    s.pos += n;
    return n;
}

sf_count_t SourceWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t SourceTell(void* user)
{
    return static_cast<Source*>(user)->pos;
}

int Decode(Source& source, Pcm& out)
{
    static SF_VIRTUAL_IO io = {SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};
    SF_INFO info{};
    SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &source);
    if (!sf)
        return BASS_ERROR_FILEFORM;
    if (info.channels < 1 || info.samplerate < 1)
    {
        sf_close(sf);
        return BASS_ERROR_FORMAT;
    }

    Pcm pcm;
    pcm.rate = static_cast<uint32_t>(info.samplerate);
    if (info.frames > 0 && info.frames < std::numeric_limits<sf_count_t>::max() / 2)
        pcm.samples.reserve(static_cast<size_t>(info.frames) * 2);

    const sf_count_t chunkFrames = 4096;
    std::vector<float> chunk(static_cast<size_t>(chunkFrames * info.channels));
    for (;;)
    {
        sf_count_t got = sf_readf_float(sf, chunk.data(), chunkFrames);
        if (got <= 0)
            break;
        DownmixToStereo(chunk.data(), info.channels, static_cast<uint64_t>(got), pcm.samples);
    }
    bool failed = sf_error(sf) != SF_ERR_NO_ERROR;
    sf_close(sf);
    if (failed)
        return BASS_ERROR_FILEFORM;
    out = std::move(pcm);
    return BASS_OK;
}

} // namespace

int DecodeFile(const char* path, uint64_t offset, uint64_t length, Pcm& out)
{
    std::vector<unsigned char> bytes;
    if (!host::ReadHostFile(path, bytes))
        return BASS_ERROR_FILEOPEN;
    const uint64_t total = bytes.size();
    if (offset > total)
        return BASS_ERROR_ILLPARAM;
    Source source;
    source.memory = bytes.data() + offset;
    source.size = static_cast<sf_count_t>(length == 0 ? total - offset : std::min(length, total - offset));
    return Decode(source, out);
}

int DecodeMemory(const void* data, uint64_t length, Pcm& out)
{
    if (!data || length == 0 || length > static_cast<uint64_t>(std::numeric_limits<sf_count_t>::max()))
        return BASS_ERROR_ILLPARAM;
    Source source;
    source.memory = static_cast<const unsigned char*>(data);
    source.size = static_cast<sf_count_t>(length);
    return Decode(source, out);
}

} // namespace bass
