#include "effects/particles/bubble_system.h"

#include "effects/particles/random.h"

void C_BubbleSystem::Spawn(Particles::Particle& particle)
{
    float u1 = RandomUnit();
    float u2 = RandomUnit();
    particle.position = D3DXVECTOR3(u2 * 2.0f - 1.0f, u1 * 2.0f - 1.0f, 0.0f);
    D3DXVECTOR3 deviation = RandomVector(m_Settings.spray);
    particle.velocity = D3DXVECTOR3(m_Settings.velocity.x + deviation.x, m_Settings.velocity.y + deviation.y,
                                    m_Settings.velocity.z + deviation.z);
    // The colour is a random blend, fixed for the bubble's life.
    float m = RandomUnit();
    particle.colour = Particles::LerpColour(m_Settings.colour_start, m_Settings.colour_end, m);
    particle.size = m_Settings.size_start + m_Settings.size_rand * RandomUnit();
    particle.life = particle.remaining = 1.0f;
    particle.alive = true;
}

bool C_BubbleSystem::Update(float dt)
{
    for (uint32_t i = 0; i < m_Count; ++i)
    {
        Particles::Particle& p = m_Particles[i];
        if (p.position.y > p.size + 1.0f)
        {
            Spawn(p);
            p.position.y = -1.0f - p.size;
        }
        else
        {
            p.position.x += p.velocity.x * dt;
            p.position.y += p.velocity.y * dt;
            p.position.z += p.velocity.z * dt;
        }
    }
    return true;
}
