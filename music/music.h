// The music player: sets up the audio library for the demo window and creates
// the stream whose position is the demo clock.
#pragma once

#include <bass.h>

#include <string>
#include <vector>

class C_Music
{
public:
    // music false runs the library on its silent device.
    bool Init(bool music);

    // 0 when the file cannot be opened; the handle is kept otherwise.
    HSTREAM CreateStream(const std::string& fileName);

    bool Shutdown();

    const std::vector<HSTREAM>& GetStreams() const { return m_Streams; }
    int GetDevice() const { return m_Device; }

private:
    std::vector<HSTREAM> m_Streams;
    int m_Device = 0;
};
