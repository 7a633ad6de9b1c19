#include "effects/quad2d.h"

#include "app/demo.h"
#include "effects/texture_lookup.h"

C_FXQuad2D::C_FXQuad2D()
{
    RegisterVariable("start_colour", &m_StartColour);
    RegisterVariable("end_colour", &m_EndColour);
    RegisterVariable("x", &m_X);
    RegisterVariable("y", &m_Y);
    RegisterVariable("width", &m_Width);
    RegisterVariable("height", &m_Height);
    RegisterVariable("screenspace", &m_ScreenSpace);
    RegisterVariable("texture", &m_Texture);
}

bool C_FXQuad2D::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("quad2d.psh", Resource::PixelShader);
    return true;
}

bool C_FXQuad2D::Render(float progress, float, float)
{
    float colour[4];
    InterpolateColour(m_StartColour, m_EndColour, progress, colour);
    float rectangle[4] = {m_X.value, m_Y.value, m_Width.value, m_Height.value};
    float screenSpace[4] = {m_ScreenSpace.flag ? 1.0f : 0.0f, 0.0f, 0.0f, 0.0f};
    float n = m_TextureIndex == -1 ? 1.0f : 0.0f;
    float noTexture[4] = {n, n, n, n};

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    renderer.SetBlendMode(Alpha);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_TextureIndex);

    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, colour, 1);
    device->SetVertexShaderConstantF(1, rectangle, 1);
    device->SetVertexShaderConstantF(2, screenSpace, 1);
    device->SetPixelShaderConstantF(0, noTexture, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        renderer.DrawMesh(m_MeshIndex);
        device->EndScene();
    }

    renderer.SetBlendMode(Opaque);
    renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    renderer.BindTexture(0, -1);
    return true;
}
