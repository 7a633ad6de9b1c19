#include "effects/bubbles.h"

#include "app/demo.h"

C_FXBubbles::C_FXBubbles() : m_System(new C_BubbleSystem)
{
    RegisterVariable("count", &m_Count);
    RegisterVariable("size", &m_Size);
    RegisterVariable("colour1", &m_Colour1);
    RegisterVariable("colour2", &m_Colour2);
}

C_FXBubbles::~C_FXBubbles()
{
    delete m_System;
    Particles::ReleaseSpriteDeclaration(m_Batch);
}

bool C_FXBubbles::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_Batch.texture = resources.Acquire("bubble.tga", Resource::Texture);
    m_Batch.vertexShader = resources.Acquire("particle.vsh", Resource::VertexShader);
    m_Batch.pixelShader = resources.Acquire("particle.psh", Resource::PixelShader);
    Particles::CreateSpriteDeclaration(m_Batch);

    m_Settings.velocity = D3DXVECTOR3(0.0f, 0.75f, 0.0f);
    m_Settings.spray = 0.35f;
    m_Settings.size_start = m_Settings.size_end = m_Settings.size_rand = m_Size.value;
    m_Settings.colour_start = D3DXCOLOR(m_Colour2.r, m_Colour2.g, m_Colour2.b, m_Colour2.a);
    m_Settings.colour_end = D3DXCOLOR(m_Colour1.r, m_Colour1.g, m_Colour1.b, m_Colour1.a);
    m_Settings.rejuvenate = true;

    m_System->Init(Particles::PoolSize(m_Count.value, m_Batch.vertexSize), m_Settings);
    return true;
}

bool C_FXBubbles::Render(float, float, float frameSeconds)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    renderer.device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x00000000, 1.0f, 0);

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);

    m_System->Update(frameSeconds);
    Particles::DrawSprites(*m_System, m_Batch, Additive, identity);
    return true;
}
