#include "effects/postprocess.h"

#include "app/demo.h"
#include "effects/flat_quad.h"
#include "effects/texture_lookup.h"
#include "resource/render_target.h"
#include "resource/texture.h"

C_FXPostProcess::C_FXPostProcess()
{
    RegisterVariable("image", &m_Image);
    RegisterVariable("texture", &m_Texture);
    RegisterVariable("pixel_shader", &m_PixelShader);
}

bool C_FXPostProcess::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_ImageIndex = FindOrAcquireTexture(resources, m_Image.text);
    m_TextureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire(m_PixelShader.text, Resource::PixelShader);

    // Anything else keeps 1 x 1, so the shader never divides by zero.
    m_TextureWidth = 1;
    m_TextureHeight = 1;
    Resource::I_Resource* resource = resources.At(m_TextureIndex);
    if (resource && resource->GetKind() == Resource::Texture)
    {
        const D3DXIMAGE_INFO& info = static_cast<Resource::C_Texture*>(resource)->m_Info;
        m_TextureWidth = info.Width;
        m_TextureHeight = info.Height;
    }
    else if (resource && resource->GetKind() == Resource::RenderTarget)
    {
        if (auto* surfaces = static_cast<RenderTargetSurfaces*>(resource->GetObject()))
        {
            m_TextureWidth = static_cast<unsigned>(surfaces->width);
            m_TextureHeight = static_cast<unsigned>(surfaces->height);
        }
    }
    if (m_TextureWidth == 0 || m_TextureHeight == 0)
        m_TextureWidth = m_TextureHeight = 1;
    return true;
}

bool C_FXPostProcess::Render(float, float eventSeconds, float frameSeconds)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    const float width = static_cast<float>(static_cast<unsigned>(renderer.targetWidth));
    const float height = static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float placement[4] = {0.5f - 0.25f / width, 0.5f - 0.25f / height, 1.0f, 1.0f};
    // quad2d.vsh reads c2.x: a screen-space quad drawn earlier must not move this one to a corner.
    const float centred[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float texel[4] = {1.0f / static_cast<float>(m_TextureWidth), 1.0f / static_cast<float>(m_TextureHeight), 1.0f,
                            1.0f};
    const float time[4] = {eventSeconds, frameSeconds, 0.0f, 0.0f};

    DrawFlatQuad(renderer, {m_MeshIndex, m_VertexShaderIndex, m_PixelShaderIndex}, {m_ImageIndex, m_TextureIndex},
                 white, placement, centred, {texel, time});
    renderer.BindTexture(0, -1);
    renderer.BindTexture(1, -1);
    return true;
}
