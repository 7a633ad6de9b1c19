#include "support/scripted_bass.h"

#include <algorithm>

namespace ScriptedBass
{
State& Get()
{
    static State state;
    return state;
}

void Reset()
{
    Get() = State();
}
} // namespace ScriptedBass

namespace
{
void Record(const std::string& call)
{
    ScriptedBass::Get().calls.push_back(call);
}
} // namespace

// Byte positions are whole microseconds. A successful seek moves the stream,
// and the scripted seconds are what has played since, as a real stream reports.
extern "C"
{
    BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void*)
    {
        Record("Init " + std::to_string(device) + " " + std::to_string(freq) + " " + std::to_string(flags));
        ScriptedBass::Get().initWindow = win;
        return ScriptedBass::Get().initSucceeds;
    }

    BOOL BASS_Free(void)
    {
        Record("Free");
        return TRUE;
    }

    int BASS_ErrorGetCode(void)
    {
        return BASS_OK;
    }

    HSTREAM BASS_StreamCreateFile(BOOL, const void* file, QWORD, QWORD, DWORD)
    {
        std::string name = static_cast<const char*>(file);
        Record("StreamCreateFile " + name);
        auto& files = ScriptedBass::Get().openableFiles;
        if (std::find(files.begin(), files.end(), name) == files.end())
            return 0;
        return ScriptedBass::Get().nextHandle++;
    }

    BOOL BASS_StreamFree(HSTREAM handle)
    {
        Record("StreamFree " + std::to_string(handle));
        return TRUE;
    }

    QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos)
    {
        Record("Seconds2Bytes " + std::to_string(handle) + " " + std::to_string(pos));
        return static_cast<QWORD>(static_cast<double>(pos) * 1e6 + 0.5);
    }

    float BASS_ChannelBytes2Seconds(DWORD, QWORD pos)
    {
        return static_cast<float>(pos) / 1e6f;
    }

    BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos)
    {
        Record("SetPosition " + std::to_string(handle) + " " + std::to_string(pos));
        auto& state = ScriptedBass::Get();
        // Handle 0 is no stream: nothing to seek.
        bool moved = state.seekSucceeds && handle != 0;
        if (moved)
            state.seekPosition = pos;
        return moved;
    }

    QWORD BASS_ChannelGetPosition(DWORD)
    {
        auto& state = ScriptedBass::Get();
        if (!state.positions.empty())
        {
            state.lastPosition = std::min(state.positions.front(), state.end);
            state.positions.pop_front();
        }
        state.playing = state.playing && state.lastPosition < state.end;
        return state.seekPosition + static_cast<QWORD>(static_cast<double>(state.lastPosition) * 1e6 + 0.5);
    }

    QWORD BASS_ChannelGetLength(DWORD)
    {
        return 0;
    }

    BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
    {
        Record("Play " + std::to_string(handle) + " " + std::to_string(restart));
        ScriptedBass::Get().playing = true;
        return TRUE;
    }

    BOOL BASS_ChannelStop(DWORD handle)
    {
        Record("Stop " + std::to_string(handle));
        ScriptedBass::Get().playing = false;
        return TRUE;
    }

    DWORD BASS_ChannelIsActive(DWORD)
    {
        return ScriptedBass::Get().playing ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }
}

// In microseconds, as the byte positions are.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count)
{
    std::deque<double>& script = ScriptedBass::Get().counter;
    count->QuadPart = static_cast<LONGLONG>((script.empty() ? 0.0 : script.front()) * 1e6 + 0.5);
    if (script.size() > 1)
        script.pop_front();
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    frequency->QuadPart = 1000000;
    return TRUE;
}
