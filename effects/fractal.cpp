#include "effects/fractal.h"

#include "app/demo.h"
#include "effects/flat_quad.h"
#include "effects/texture_lookup.h"

C_FXFractal::C_FXFractal()
{
    RegisterVariable("start_z", &m_StartZ);
    RegisterVariable("end_z", &m_EndZ);
    RegisterVariable("start_c", &m_StartC);
    RegisterVariable("end_c", &m_EndC);
    RegisterVariable("start_zoom", &m_StartZoom);
    RegisterVariable("end_zoom", &m_EndZoom);
    RegisterVariable("texture", &m_Texture);
}

bool C_FXFractal::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("fractal.psh", Resource::PixelShader);
    return true;
}

bool C_FXFractal::Render(float progress, float, float)
{
    const float zx = m_StartZ.x + (m_EndZ.x - m_StartZ.x) * progress;
    const float zy = m_StartZ.y + (m_EndZ.y - m_StartZ.y) * progress;
    const float cx = m_StartC.x + (m_EndC.x - m_StartC.x) * progress;
    const float cy = m_StartC.y + (m_EndC.y - m_StartC.y) * progress;
    const float zoom = m_StartZoom.value + (m_EndZoom.value - m_StartZoom.value) * progress;

    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float placement[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    const float options[4] = {0.0f, 0.0f, zoom, 0.0f};
    const float start[4] = {zx, zy, cx, cy};
    const float constant[4] = {cx, cy, 1.0f, 1.0f};
    const float view[4] = {zoom, 0.0f, zx, zy};

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    DrawFlatQuad(renderer, {m_MeshIndex, m_VertexShaderIndex, m_PixelShaderIndex}, {m_TextureIndex}, white, placement,
                 options, {start, constant, view});
    return true;
}
