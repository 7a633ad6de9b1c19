#include "effects/particles.h"

#include "app/demo.h"
#include "effects/texture_lookup.h"

namespace
{
D3DXVECTOR3 ToVector(const C_VarVector3& v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

D3DXCOLOR ToColour(const C_VarColour& c)
{
    return D3DXCOLOR(c.r, c.g, c.b, c.a);
}
} // namespace

C_FXParticles::C_FXParticles() : m_System(new Particles::C_System)
{
    RegisterVariable("count", &m_Count);
    RegisterVariable("spawn_pos", &m_SpawnPos);
    RegisterVariable("spawn_radius", &m_SpawnRadius);
    RegisterVariable("velocity", &m_Velocity);
    RegisterVariable("gravity", &m_Gravity);
    RegisterVariable("spray", &m_Spray);
    RegisterVariable("age", &m_Age);
    RegisterVariable("age_rand", &m_AgeRand);
    RegisterVariable("size_start", &m_SizeStart);
    RegisterVariable("size_end", &m_SizeEnd);
    RegisterVariable("size_rand", &m_SizeRand);
    RegisterVariable("colour_start", &m_ColourStart);
    RegisterVariable("colour_end", &m_ColourEnd);
    RegisterVariable("rejuvinate", &m_Rejuvinate);
    RegisterVariable("texture", &m_Texture);
}

C_FXParticles::~C_FXParticles()
{
    delete m_System;
    Particles::ReleaseSpriteDeclaration(m_Batch);
}

bool C_FXParticles::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_Batch.texture = FindOrAcquireTexture(resources, m_Texture.text);
    m_Batch.vertexShader = resources.Acquire("particle.vsh", Resource::VertexShader);
    m_Batch.pixelShader = resources.Acquire("particle.psh", Resource::PixelShader);
    Particles::CreateSpriteDeclaration(m_Batch);

    m_Settings.spawn_pos = ToVector(m_SpawnPos);
    m_Settings.spawn_radius = m_SpawnRadius.value;
    m_Settings.velocity = ToVector(m_Velocity);
    m_Settings.gravity = ToVector(m_Gravity);
    m_Settings.spray = m_Spray.value;
    m_Settings.age = m_Age.value;
    m_Settings.age_rand = m_AgeRand.value;
    m_Settings.size_start = m_SizeStart.value;
    m_Settings.size_end = m_SizeEnd.value;
    m_Settings.size_rand = m_SizeRand.value;
    m_Settings.colour_start = ToColour(m_ColourStart);
    m_Settings.colour_end = ToColour(m_ColourEnd);
    m_Settings.rejuvenate = m_Rejuvinate.flag;

    m_System->Init(Particles::PoolSize(m_Count.value, m_Batch.vertexSize), m_Settings);
    return true;
}

bool C_FXParticles::Render(float, float, float frameSeconds)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    float aspect = static_cast<float>(static_cast<unsigned>(renderer.targetWidth)) /
                   static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, aspect, 1.0f, 100.0f);
    D3DXMatrixTranspose(&projection, &projection);

    m_System->Update(frameSeconds);
    if (m_System->GetLiveCount() <= 0)
        return true;

    Particles::DrawSprites(*m_System, m_Batch, AlphaAdditive, projection);
    return true;
}
