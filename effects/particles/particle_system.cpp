#include "effects/particles/particle_system.h"

#include "effects/particles/random.h"

namespace Particles
{
const D3DVERTEXELEMENT9 kVertexElements[4] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
    D3DDECL_END(),
};

namespace
{
DWORD ToByte(float c)
{
    if (c >= 1.0f)
        return 255;
    if (c <= 0.0f)
        return 0;
    return static_cast<DWORD>(c * 255.0f + 0.5f);
}
} // namespace

D3DXCOLOR LerpColour(const D3DXCOLOR& from, const D3DXCOLOR& to, float t)
{
    return D3DXCOLOR(from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
                     from.a + (to.a - from.a) * t);
}

DWORD PackColour(const D3DXCOLOR& colour)
{
    return (ToByte(colour.a) << 24) | (ToByte(colour.r) << 16) | (ToByte(colour.g) << 8) | ToByte(colour.b);
}

uint32_t FitVertices(uint32_t count, uint32_t vertexSize, uint32_t bufferSize)
{
    if (vertexSize == 0)
        return 0;
    uint32_t most = bufferSize / vertexSize;
    return count < most ? count : most;
}

C_System::~C_System()
{
    delete[] m_Particles;
}

bool C_System::Init(uint32_t count, const Settings& settings)
{
    m_Count = count;
    m_LiveCount = static_cast<int>(count);
    m_Settings = settings;
    delete[] m_Particles;
    m_Particles = new Particle[count]();
    for (uint32_t i = 0; i < count; ++i)
    {
        // Spawn leaves the current size and colour alone; until the first
        // update a fresh record shows the start values.
        m_Particles[i].size = settings.size_start;
        m_Particles[i].colour = settings.colour_start;
        Spawn(m_Particles[i]);
    }
    return true;
}

void C_System::Spawn(Particle& particle)
{
    D3DXVECTOR3 offset = RandomVector(m_Settings.spawn_radius);
    particle.position = D3DXVECTOR3(m_Settings.spawn_pos.x + offset.x, m_Settings.spawn_pos.y + offset.y,
                                    m_Settings.spawn_pos.z + offset.z);
    D3DXVECTOR3 deviation = RandomVector(m_Settings.spray);
    particle.velocity = D3DXVECTOR3(m_Settings.velocity.x + deviation.x, m_Settings.velocity.y + deviation.y,
                                    m_Settings.velocity.z + deviation.z);
    particle.colourBirth = m_Settings.colour_start;
    particle.colourDeath = m_Settings.colour_end;
    particle.sizeBirth = m_Settings.size_start + m_Settings.size_rand * RandomUnit();
    particle.sizeDeath = m_Settings.size_end;
    particle.life = particle.remaining = m_Settings.age + m_Settings.age_rand * RandomUnit();
    particle.alive = true;
}

bool C_System::Update(float dt)
{
    for (uint32_t i = 0; i < m_Count; ++i)
    {
        Particle& p = m_Particles[i];
        if (!p.alive)
            continue;
        p.remaining -= dt;
        if (p.remaining <= 0.0f)
        {
            p.alive = false;
            // A reborn particle keeps its last size and colour until the next update.
            if (m_Settings.rejuvenate)
                Spawn(p);
            else
                --m_LiveCount;
            continue;
        }
        float t = 1.0f - p.remaining / p.life;
        p.colour = LerpColour(p.colourBirth, p.colourDeath, t);
        p.size = p.sizeBirth + (p.sizeDeath - p.sizeBirth) * t;
        p.velocity.x += m_Settings.gravity.x * dt;
        p.velocity.y += m_Settings.gravity.y * dt;
        p.velocity.z += m_Settings.gravity.z * dt;
        p.position.x += p.velocity.x * dt;
        p.position.y += p.velocity.y * dt;
        p.position.z += p.velocity.z * dt;
    }
    return true;
}

bool C_System::WriteVertices(Vertex* destination)
{
    for (uint32_t i = 0; i < m_Count; ++i)
    {
        const Particle& p = m_Particles[i];
        if (!p.alive)
            continue;
        destination->x = p.position.x;
        destination->y = p.position.y;
        destination->z = p.position.z;
        destination->colour = PackColour(p.colour);
        destination->size = p.size;
        ++destination;
    }
    return true;
}
} // namespace Particles
