// Owner of the Direct3D device. Device creation, the lost-device protocol and
// presenting come with the Direct3D layer; until then the device steps succeed
// without drawing, so the shell, the clock and the music run as they will.
#pragma once

class C_Renderer
{
public:
    bool Create(int width, int height, int antiAliasing, bool vsync, bool windowed);

    // True when this pass may draw and present.
    bool CheckDevice();

    void Present();

private:
    int m_Width = 0;
    int m_Height = 0;
};
