// The audio library's entry points: device set-up, the stream table and the
// channel calls. API calls are serialised by one mutex; state the mixer reads
// is changed only under the output's lock as well.
#include <bass.h>

#include "decoder.h"
#include "output.h"
#include "stream.h"

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

using bass::Clock;
using bass::Output;
using bass::Pcm;
using bass::Stream;

namespace
{

thread_local int g_Error = BASS_OK;

struct Library
{
    std::mutex api;
    bool initialised = false;
    bool silent = false; // device 0: positions follow the clock, nothing is mixed
    Output output;
    std::vector<std::unique_ptr<Stream>> streams;
    uint32_t nextHandle = 1;

    // The audio thread must not outlive the streams it reads.
    ~Library() { output.Close(); }
};

Library& Lib()
{
    static Library lib;
    return lib;
}

enum class Mixer
{
    Untouched,
    Shared
};

// Holds the API mutex for one call on a channel, and the mixer's lock too when
// the call reads or changes playback state (a stream's rate and length are
// fixed, so conversions need no more than the API mutex).
class ChannelCall
{
public:
    ChannelCall(DWORD handle, Mixer mixer) : m_Lib(Lib()), m_Guard(m_Lib.api)
    {
        if (!m_Lib.initialised)
        {
            g_Error = BASS_ERROR_INIT;
            return;
        }
        for (auto& s : m_Lib.streams)
        {
            if (s->Handle() == handle && handle != 0)
                m_Stream = s.get();
        }
        if (!m_Stream)
        {
            g_Error = BASS_ERROR_HANDLE;
            return;
        }
        m_Locked = mixer == Mixer::Shared;
        if (m_Locked)
            m_Lib.output.Lock();
        g_Error = BASS_OK;
    }
    ~ChannelCall()
    {
        if (m_Locked)
            m_Lib.output.Unlock();
    }
    ChannelCall(const ChannelCall&) = delete;
    ChannelCall& operator=(const ChannelCall&) = delete;

    Stream* operator->() const { return m_Stream; }
    explicit operator bool() const { return m_Stream != nullptr; }
    bool Silent() const { return m_Lib.silent; }

private:
    Library& m_Lib;
    std::lock_guard<std::mutex> m_Guard;
    Stream* m_Stream = nullptr;
    bool m_Locked = false;
};

BOOL Fail(int code)
{
    g_Error = code;
    return FALSE;
}

BOOL Succeed()
{
    g_Error = BASS_OK;
    return TRUE;
}

const QWORD kNoPosition = static_cast<QWORD>(-1);

// Rounded up to a float, never down: the player truncates seconds to whole
// milliseconds, and a frame that starts on a millisecond (10 ms is frame 441
// at 44.1 kHz) must not read as the one before.
float FramesToSeconds(QWORD frames, double rate)
{
    double exact = static_cast<double>(frames) / rate;
    float seconds = static_cast<float>(exact);
    if (static_cast<double>(seconds) < exact)
        seconds = std::nextafter(seconds, std::numeric_limits<float>::infinity());
    return seconds;
}
} // namespace

extern "C"
{

    BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD, HWND, const void*)
    {
        Library& lib = Lib();
        std::lock_guard<std::mutex> guard(lib.api);
        if (lib.initialised)
            return Fail(BASS_ERROR_ALREADY);
        if (device == -1)
        {
            int result = lib.output.Open(freq != 0 ? freq : 44100, &lib.streams);
            if (result != BASS_OK)
                return Fail(result);
            lib.silent = false;
        }
        else if (device == 0)
        {
            lib.silent = true;
        }
        else
        {
            return Fail(BASS_ERROR_DEVICE);
        }
        lib.initialised = true;
        return Succeed();
    }

    BOOL WINAPI BASS_Free(void)
    {
        Library& lib = Lib();
        std::lock_guard<std::mutex> guard(lib.api);
        if (!lib.initialised)
            return Fail(BASS_ERROR_INIT);
        lib.output.Close();
        lib.streams.clear();
        lib.initialised = false;
        return Succeed();
    }

    int WINAPI BASS_ErrorGetCode(void)
    {
        return g_Error;
    }

    HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD)
    {
        Library& lib = Lib();
        {
            std::lock_guard<std::mutex> guard(lib.api);
            if (!lib.initialised)
                return Fail(BASS_ERROR_INIT);
        }
        if (!file)
            return Fail(BASS_ERROR_FILEOPEN);

        // Decoding takes a while; other channels stay usable meanwhile.
        std::unique_ptr<Pcm> pcm;
        int result = mem ? bass::DecodeMemory(static_cast<const unsigned char*>(file) + offset, length, pcm)
                         : bass::DecodeFile(static_cast<const char*>(file), offset, length, pcm);
        if (result != BASS_OK)
            return Fail(result);

        std::lock_guard<std::mutex> guard(lib.api);
        if (!lib.initialised)
            return Fail(BASS_ERROR_INIT);
        uint32_t handle = lib.nextHandle++;
        if (lib.nextHandle == 0)
            lib.nextHandle = 1;
        auto stream = std::make_unique<Stream>(handle, std::move(pcm));
        lib.output.Lock();
        lib.streams.push_back(std::move(stream));
        lib.output.Unlock();
        g_Error = BASS_OK;
        return handle;
    }

    BOOL WINAPI BASS_StreamFree(HSTREAM handle)
    {
        Library& lib = Lib();
        std::lock_guard<std::mutex> guard(lib.api);
        if (!lib.initialised)
            return Fail(BASS_ERROR_INIT);
        for (auto it = lib.streams.begin(); it != lib.streams.end(); ++it)
        {
            if ((*it)->Handle() == handle)
            {
                std::unique_ptr<Stream> gone;
                lib.output.Lock();
                gone = std::move(*it);
                lib.streams.erase(it);
                lib.output.Unlock();
                return Succeed();
            }
        }
        return Fail(BASS_ERROR_HANDLE);
    }

    QWORD WINAPI BASS_ChannelSeconds2Bytes(DWORD handle, float pos)
    {
        ChannelCall channel(handle, Mixer::Untouched);
        if (!channel)
            return kNoPosition;
        if (!(pos >= 0.0f) || pos > 1e12f)
        {
            g_Error = BASS_ERROR_ILLPARAM;
            return kNoPosition;
        }
        const double rate = channel->Rate();
        // The first frame that reads back at or after pos: a float that lies a hair
        // past a frame still means that frame.
        QWORD frame = static_cast<QWORD>(std::ceil(static_cast<double>(pos) * rate));
        if (frame > 0 && FramesToSeconds(frame - 1, rate) >= pos)
            --frame;
        return frame * 4;
    }

    float WINAPI BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
    {
        ChannelCall channel(handle, Mixer::Untouched);
        // 0 rather than an error value: a clock built on a missing stream stays put.
        if (!channel)
            return 0.0f;
        return FramesToSeconds(pos / 4, channel->Rate());
    }

    BOOL WINAPI BASS_ChannelSetPosition(DWORD handle, QWORD pos)
    {
        ChannelCall channel(handle, Mixer::Shared);
        if (!channel)
            return FALSE;
        QWORD frame = pos / 4;
        if (frame > channel->Frames())
            return Fail(BASS_ERROR_POSITION);
        channel->Seek(frame, Clock::now(), channel.Silent());
        return Succeed();
    }

    QWORD WINAPI BASS_ChannelGetPosition(DWORD handle)
    {
        ChannelCall channel(handle, Mixer::Shared);
        if (!channel)
            return kNoPosition;
        return channel->HeardFrame(Clock::now()) * 4;
    }

    QWORD WINAPI BASS_ChannelGetLength(DWORD handle)
    {
        ChannelCall channel(handle, Mixer::Untouched);
        if (!channel)
            return kNoPosition;
        return channel->Frames() * 4;
    }

    BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart)
    {
        ChannelCall channel(handle, Mixer::Shared);
        if (!channel)
            return FALSE;
        Clock::time_point now = Clock::now();
        if (restart)
            channel->Seek(0, now, channel.Silent());
        channel->Play(now, channel.Silent());
        return Succeed();
    }

    BOOL WINAPI BASS_ChannelStop(DWORD handle)
    {
        ChannelCall channel(handle, Mixer::Shared);
        if (!channel)
            return FALSE;
        channel->Stop(Clock::now());
        return Succeed();
    }

    DWORD WINAPI BASS_ChannelIsActive(DWORD handle)
    {
        ChannelCall channel(handle, Mixer::Shared);
        if (!channel)
            return BASS_ACTIVE_STOPPED;
        return channel->Playing(Clock::now()) ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }

} // extern "C"
