// The audio library's decoding of a music file, through its API on the silent
// device: any bytes either fail to make a stream or make one that seeks, plays
// and frees, with the decoder still at work behind it or not.
#include <bass.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = BASS_Init(0, 44100, 0, nullptr, nullptr) != FALSE;
    if (!ready)
        std::abort();
    HSTREAM stream = BASS_StreamCreateFile(TRUE, data, 0, size, 0);
    if (!stream)
        return 0;
    const QWORD length = BASS_ChannelGetLength(stream);
    if (length == static_cast<QWORD>(-1) || length % 4 != 0)
        std::abort();
    // The end first, as a show that starts late does, while the rest decodes.
    if (length > 0 && !BASS_ChannelSetPosition(stream, length - 4))
        std::abort();
    BASS_ChannelPlay(stream, FALSE);
    if (BASS_ChannelGetPosition(stream) > length)
        std::abort();
    BASS_ChannelSetPosition(stream, length / 2);
    if (!BASS_StreamFree(stream))
        std::abort();
    return 0;
}
