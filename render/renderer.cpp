#include "render/renderer.h"

bool C_Renderer::Create(int width, int height, int /*antiAliasing*/, bool /*vsync*/, bool /*windowed*/)
{
    m_Width = width;
    m_Height = height;
    return true;
}

bool C_Renderer::CheckDevice()
{
    return true;
}

void C_Renderer::Present() {}
