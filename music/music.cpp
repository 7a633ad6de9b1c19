#include "music/music.h"

#include "app/demo.h"

bool C_Music::Init(bool music)
{
    m_Device = music ? -1 : 0;
    return BASS_Init(m_Device, 44100, 0, C_Demo::GetInstance()->m_Window, NULL) != 0;
}

HSTREAM C_Music::CreateStream(const std::string& fileName)
{
    HSTREAM stream = BASS_StreamCreateFile(FALSE, fileName.c_str(), 0, 0, 0);
    if (stream == 0)
        return 0;
    m_Streams.push_back(stream);
    return stream;
}

bool C_Music::Shutdown()
{
    for (HSTREAM stream : m_Streams)
        BASS_StreamFree(stream);
    BASS_Free();
    return true;
}
