#include "effects/window2d.h"

#include "app/demo.h"
#include "effects/texture_lookup.h"

C_FXWindow2D::C_FXWindow2D()
{
    RegisterVariable("start_x", &m_StartX);
    RegisterVariable("start_y", &m_StartY);
    RegisterVariable("middle_x", &m_MiddleX);
    RegisterVariable("middle_y", &m_MiddleY);
    RegisterVariable("end_x", &m_EndX);
    RegisterVariable("end_y", &m_EndY);
    RegisterVariable("width", &m_Width);
    RegisterVariable("height", &m_Height);
    RegisterVariable("start_length", &m_StartLength);
    RegisterVariable("end_length", &m_EndLength);
    RegisterVariable("screenspace", &m_ScreenSpace);
    RegisterVariable("texture", &m_Texture);
}

bool C_FXWindow2D::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_PictureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_FrameTextureIndex = resources.Acquire("border.png", Resource::Texture);
    m_FrameMeshIndex = resources.Acquire("border.x", Resource::Mesh);
    m_QuadMeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_FrameVertexShaderIndex = resources.Acquire("border.vsh", Resource::VertexShader);
    m_QuadVertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("quad2d.psh", Resource::PixelShader);
    return true;
}

void C_FXWindow2D::Placement(float progress, float rectangle[4]) const
{
    float x = m_MiddleX.value;
    float y = m_MiddleY.value;
    float w = m_Width.value;
    float h = m_Height.value;
    if (m_StartLength.value > progress)
    {
        const float f = progress / m_StartLength.value;
        w = m_Width.value * f;
        h = m_Height.value * f;
        x = m_StartX.value + (m_MiddleX.value - m_StartX.value) * f;
        y = m_StartY.value + (m_MiddleY.value - m_StartY.value) * f;
    }
    else if (progress > 1.0f - m_EndLength.value)
    {
        const float f = (1.0f - progress) / m_EndLength.value;
        w = m_Width.value * f;
        h = m_Height.value * f;
        x = m_EndX.value + (m_MiddleX.value - m_EndX.value) * f;
        y = m_EndY.value + (m_MiddleY.value - m_EndY.value) * f;
    }
    rectangle[0] = x;
    rectangle[1] = y;
    rectangle[2] = w;
    rectangle[3] = h;
}

bool C_FXWindow2D::Render(float progress, float, float)
{
    float rectangle[4];
    Placement(progress, rectangle);
    const float screenSpace[4] = {m_ScreenSpace.flag ? 1.0f : 0.0f, 0.0f, 0.0f, 0.0f};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    IDirect3DDevice9* device = renderer.device;
    if (FAILED(device->BeginScene()))
        return true;

    renderer.SetBlendMode(Alpha);
    renderer.BindVertexShader(m_QuadVertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_PictureIndex);
    device->SetVertexShaderConstantF(0, white, 1);
    device->SetVertexShaderConstantF(1, rectangle, 1);
    device->SetVertexShaderConstantF(2, screenSpace, 1);
    device->SetPixelShaderConstantF(0, zero, 1);
    renderer.DrawMesh(m_QuadMeshIndex);

    renderer.SetBlendMode(Opaque);
    renderer.BindVertexShader(m_FrameVertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_FrameTextureIndex);
    device->SetVertexShaderConstantF(1, rectangle, 1);
    device->SetPixelShaderConstantF(0, zero, 1);
    renderer.DrawMesh(m_FrameMeshIndex);

    device->EndScene();
    return true;
}
