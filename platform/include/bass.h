// The audio library's API as Quorl calls it: device set-up, file streams and
// the channel calls whose position is the demo clock. Implemented in
// platform/bass/: over libsndfile and SDL2 audio on Linux, as bass.dll over
// stb_vorbis and waveOut on Windows.
#pragma once

#include <windows.h>

#include <cstdint>

#ifdef _WIN32
#ifdef QUORL_BASS_EXPORTS
#define BASSDEF(f) __declspec(dllexport) WINAPI f
#else
#define BASSDEF(f) WINAPI f
#endif
#else
#define BASSDEF(f) f
#endif

#ifdef __cplusplus
extern "C"
{
#endif

    typedef uint64_t QWORD;
    typedef DWORD HSTREAM;
    typedef DWORD HCHANNEL;

// Error codes (BASS_ErrorGetCode)
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN -1

// BASS_ChannelIsActive results
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

    BOOL BASSDEF(BASS_Init)(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
    BOOL BASSDEF(BASS_Free)(void);
    int BASSDEF(BASS_ErrorGetCode)(void);

    HSTREAM BASSDEF(BASS_StreamCreateFile)(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
    BOOL BASSDEF(BASS_StreamFree)(HSTREAM handle);

    QWORD BASSDEF(BASS_ChannelSeconds2Bytes)(DWORD handle, float pos);
    float BASSDEF(BASS_ChannelBytes2Seconds)(DWORD handle, QWORD pos);
    BOOL BASSDEF(BASS_ChannelSetPosition)(DWORD handle, QWORD pos);
    QWORD BASSDEF(BASS_ChannelGetPosition)(DWORD handle);
    QWORD BASSDEF(BASS_ChannelGetLength)(DWORD handle);
    BOOL BASSDEF(BASS_ChannelPlay)(DWORD handle, BOOL restart);
    BOOL BASSDEF(BASS_ChannelStop)(DWORD handle);
    DWORD BASSDEF(BASS_ChannelIsActive)(DWORD handle);

#ifdef __cplusplus
}
#endif
