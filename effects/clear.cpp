#include "effects/clear.h"

#include "app/demo.h"

C_FXClear::C_FXClear()
{
    RegisterVariable("colour", &m_Colour);
    RegisterVariable("zbuffer", &m_ZBuffer);
}

bool C_FXClear::Render(float, float, float)
{
    DWORD flags = 0;
    if (m_Colour.flag)
        flags |= D3DCLEAR_TARGET;
    if (m_ZBuffer.flag)
        flags |= D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    C_Demo::GetInstance()->m_Renderer.device->Clear(0, NULL, flags, 0x00000000, 1.0f, 0);
    return true;
}
