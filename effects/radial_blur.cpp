#include "effects/radial_blur.h"

#include "app/demo.h"
#include "effects/flat_quad.h"
#include "effects/texture_lookup.h"

C_FXRadialBlur::C_FXRadialBlur()
{
    RegisterVariable("start_colour", &m_StartColour);
    RegisterVariable("end_colour", &m_EndColour);
    RegisterVariable("start_amount", &m_StartAmount);
    RegisterVariable("end_amount", &m_EndAmount);
    RegisterVariable("texture", &m_Texture);
}

bool C_FXRadialBlur::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("quad2d.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("radial_blur.psh", Resource::PixelShader);
    return true;
}

bool C_FXRadialBlur::Render(float progress, float, float)
{
    float colour[4];
    InterpolateColour(m_StartColour, m_EndColour, progress, colour);
    const float amount = m_StartAmount.value + (m_EndAmount.value - m_StartAmount.value) * progress;

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    const float width = static_cast<float>(static_cast<unsigned>(renderer.targetWidth));
    const float height = static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    const float placement[4] = {0.5f - 0.5f / width, 0.5f - 0.5f / height, 1.0f, 1.0f};
    // quad2d.vsh reads c2.x: a screen-space quad drawn earlier must not move this one to a corner.
    const float centred[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float blur[4] = {amount, 0.0f, 0.0f, 0.0f};

    DrawFlatQuad(renderer, {m_MeshIndex, m_VertexShaderIndex, m_PixelShaderIndex}, {m_TextureIndex}, colour, placement,
                 centred, {blur});
    return true;
}
