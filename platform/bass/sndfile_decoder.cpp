#include "decoder.h"

#include "downmix.h"
#include "host/host_file.h"

#include <bass.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

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

// The file's bytes and libsndfile's handle on them, shared by the call that
// creates the stream and the thread that goes on decoding.
struct Decoding
{
    std::vector<unsigned char> bytes;
    Source source;
    SNDFILE* file = nullptr;
    int channels = 0;
    std::vector<float> chunk;

    ~Decoding()
    {
        if (file)
            sf_close(file);
    }
};

// Seconds decoded before the stream exists, so that playing from the start
// never waits for the decoder.
const uint32_t kFirstSeconds = 2;
const sf_count_t kChunkFrames = 4096;
// The decoding ahead yields to the program's own threads: at start-up, on a
// machine with few cores, it would otherwise slow the first frames' drawing
// and the GL driver's compiles. Decoding needs a fraction of a percent of a
// core to keep ahead of playback, which this still gets under full load.
const int kBackgroundNice = 10;
// About 100 minutes at 44.1 kHz: a gigabyte of samples.
const sf_count_t kMostFrames = sf_count_t{1} << 28;

enum class Filled
{
    Reached, // `until` frames are there
    Ended,   // the file ended first
    Failed,
};

// Decodes into pcm from frame `done` on until `until`, publishing as it goes
// when `publish` is set. Frames past the room the header promised are dropped.
Filled Fill(Decoding& decoding, Pcm& pcm, uint64_t& done, uint64_t until, bool publish)
{
    while (done < until)
    {
        if (pcm.Stopping())
            return Filled::Reached;
        sf_count_t got = sf_readf_float(decoding.file, decoding.chunk.data(), kChunkFrames);
        if (got <= 0)
            return sf_error(decoding.file) != SF_ERR_NO_ERROR ? Filled::Failed : Filled::Ended;
        uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(got), pcm.Frames() - done);
        DownmixToStereo(decoding.chunk.data(), decoding.channels, n, pcm.Writable() + done * 2);
        done += n;
        if (publish)
            pcm.Publish(done);
    }
    return Filled::Reached;
}

int Decode(std::shared_ptr<Decoding> decoding, std::unique_ptr<Pcm>& out)
{
    static SF_VIRTUAL_IO io = {SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};
    SF_INFO info{};
    decoding->file = sf_open_virtual(&io, SFM_READ, &info, &decoding->source);
    if (!decoding->file)
        return BASS_ERROR_FILEFORM;
    if (info.channels < 1 || info.samplerate < 1)
        return BASS_ERROR_FORMAT;
    decoding->channels = info.channels;
    decoding->chunk.resize(static_cast<size_t>(kChunkFrames * info.channels));
    const uint32_t rate = static_cast<uint32_t>(info.samplerate);

    // The room for every frame is taken up front, so a length the header does
    // not give, or gives beyond what the bytes could hold (compressed music
    // makes a few frames of a byte; a stretch of silence many more), is found
    // by decoding it all, taking memory only for what is really there.
    const sf_count_t bytes = decoding->source.size;
    const bool plausible = info.frames > 0 && info.frames <= kMostFrames && info.frames / 32 <= bytes;
    if (!plausible)
    {
        std::vector<int16_t> samples;
        for (;;)
        {
            sf_count_t got = sf_readf_float(decoding->file, decoding->chunk.data(), kChunkFrames);
            if (got <= 0)
                break;
            DownmixToStereo(decoding->chunk.data(), info.channels, static_cast<uint64_t>(got), samples);
        }
        if (sf_error(decoding->file) != SF_ERR_NO_ERROR)
            return BASS_ERROR_FILEFORM;
        out = std::make_unique<Pcm>(rate, std::move(samples));
        return BASS_OK;
    }

    auto pcm = std::make_unique<Pcm>(rate, static_cast<uint64_t>(info.frames));
    uint64_t done = 0;
    Filled first =
        Fill(*decoding, *pcm, done, std::min<uint64_t>(pcm->Frames(), uint64_t{rate} * kFirstSeconds), false);
    if (first == Filled::Failed)
        return BASS_ERROR_FILEFORM;
    if (first == Filled::Ended || done == pcm->Frames())
    {
        // A file shorter than its header says ends in silence.
        pcm->Publish(pcm->Frames());
    }
    else
    {
        pcm->Publish(done);
        Pcm* filling = pcm.get();
        // A decode error later in the file leaves the rest silent.
        auto rest = [decoding, filling, done]() mutable
        {
            Fill(*decoding, *filling, done, filling->Frames(), true);
            filling->Publish(filling->Frames());
        };
        try
        {
            pcm->FillInBackground(
                [rest]() mutable
                {
                    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
                    rest();
                });
        }
        catch (const std::system_error&)
        {
            // No thread to be had: the rest is decoded here, as it always was.
            rest();
        }
    }
    out = std::move(pcm);
    return BASS_OK;
}

} // namespace

int DecodeFile(const char* path, uint64_t offset, uint64_t length, std::unique_ptr<Pcm>& out)
{
    auto decoding = std::make_shared<Decoding>();
    if (!host::ReadHostFile(path, decoding->bytes))
        return BASS_ERROR_FILEOPEN;
    const uint64_t total = decoding->bytes.size();
    if (offset > total)
        return BASS_ERROR_ILLPARAM;
    decoding->source.memory = decoding->bytes.data() + offset;
    decoding->source.size = static_cast<sf_count_t>(length == 0 ? total - offset : std::min(length, total - offset));
    return Decode(std::move(decoding), out);
}

int DecodeMemory(const void* data, uint64_t length, std::unique_ptr<Pcm>& out)
{
    if (!data || length == 0 || length > static_cast<uint64_t>(std::numeric_limits<sf_count_t>::max()))
        return BASS_ERROR_ILLPARAM;
    auto decoding = std::make_shared<Decoding>();
    const auto* bytes = static_cast<const unsigned char*>(data);
    decoding->bytes.assign(bytes, bytes + length);
    decoding->source.memory = decoding->bytes.data();
    decoding->source.size = static_cast<sf_count_t>(length);
    return Decode(std::move(decoding), out);
}

} // namespace bass
