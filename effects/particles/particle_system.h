// A fixed pool of particles born at an emitter, ageing, growing or shrinking,
// changing colour and falling under gravity; written each frame as point
// sprites. Knows nothing of the device: it only fills memory.
#pragma once

#include <d3dx9.h>

#include <cstdint>

namespace Particles
{
struct Settings
{
    D3DXVECTOR3 spawn_pos;
    float spawn_radius;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 gravity;
    float spray;
    float age;
    float age_rand;
    float size_start;
    float size_end;
    float size_rand;
    D3DXCOLOR colour_start;
    D3DXCOLOR colour_end;
    bool rejuvenate;
};

struct Particle
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    float life;
    float sizeBirth;
    float sizeDeath;
    D3DXCOLOR colourBirth;
    D3DXCOLOR colourDeath;
    float remaining;
    float size;
    D3DXCOLOR colour;
    bool alive;
};

// The point-sprite vertex: stream 0, 20 bytes.
struct Vertex
{
    float x, y, z;
    DWORD colour;
    float size;
};

// Its declaration, for CreateVertexDeclaration and D3DXGetDeclVertexSize.
extern const D3DVERTEXELEMENT9 kVertexElements[4];

// 0xAARRGGBB, each component clamped to 0..1 and rounded to the nearest byte.
DWORD PackColour(const D3DXCOLOR& colour);

// from + (to - from) * t per component, each step rounded to float.
D3DXCOLOR LerpColour(const D3DXCOLOR& from, const D3DXCOLOR& to, float t);

// How many of count vertices of that size a buffer of that many bytes holds.
uint32_t FitVertices(uint32_t count, uint32_t vertexSize, uint32_t bufferSize);

class C_System
{
public:
    C_System() = default;
    virtual ~C_System();
    virtual bool Init(uint32_t count, const Settings& settings);
    virtual void Spawn(Particle& particle);
    virtual bool Update(float dt);
    // One vertex per live particle, in pool order.
    virtual bool WriteVertices(Vertex* destination);

    uint32_t GetCount() const { return m_Count; }
    int GetLiveCount() const { return m_LiveCount; }
    const Particle* GetParticles() const { return m_Particles; }
    Particle* GetParticles() { return m_Particles; }

    C_System(const C_System&) = delete;
    C_System& operator=(const C_System&) = delete;

protected:
    Particle* m_Particles = nullptr;
    Settings m_Settings = {};
    uint32_t m_Count = 0;
    int m_LiveCount = 0;
};
} // namespace Particles
