#include "effects/text.h"

#include "app/demo.h"
#include "effects/flat_quad.h"
#include "resource/texture.h"

C_FXText::C_FXText()
{
    RegisterVariable("start_length", &m_StartLength);
    RegisterVariable("end_length", &m_EndLength);
    RegisterVariable("x", &m_X);
    RegisterVariable("y", &m_Y);
    RegisterVariable("scale", &m_Scale);
    RegisterVariable("texture", &m_Texture);
}

bool C_FXText::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    // An image file only: a render target of that name makes this fail.
    m_TextureIndex = resources.Acquire(m_Texture.text, Resource::Texture);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("quad2d.psh", Resource::PixelShader);

    Resource::I_Resource* resource = resources.At(m_TextureIndex);
    if (resource && resource->GetKind() == Resource::Texture)
    {
        // The file's own size, which the texture may have rounded up.
        const D3DXIMAGE_INFO& info = static_cast<Resource::C_Texture*>(resource)->m_Info;
        m_WidthFactor = static_cast<float>(info.Width) * 0.0009765625f;
        m_HeightFactor = static_cast<float>(info.Height) / 768.0f;
    }
    return true;
}

float C_FXText::Fade(float progress) const
{
    if (m_StartLength.value > progress)
        return progress / m_StartLength.value;
    if (progress > 1.0f - m_EndLength.value)
        return (1.0f - progress) / m_EndLength.value;
    return 1.0f;
}

bool C_FXText::Render(float progress, float, float)
{
    const float f = Fade(progress);
    const float colour[4] = {f, f, f, f};
    const float placement[4] = {m_X.value, m_Y.value, m_WidthFactor * m_Scale.value, m_HeightFactor * m_Scale.value};
    const float options[4] = {0.0f, f, f, f};
    const float n = m_TextureIndex == -1 ? 1.0f : 0.0f;
    const float noTexture[4] = {n, n, n, n};

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    DrawFlatQuad(renderer, {m_MeshIndex, m_VertexShaderIndex, m_PixelShaderIndex}, {m_TextureIndex}, colour, placement,
                 options, {noTexture});
    return true;
}
