// A particle fountain: one particle system with the emitter of the script,
// drawn as additive textured point sprites in a fixed perspective view (eye
// at the origin looking along +z, depths 1 to 100).
#pragma once

#include "effects/particles/particle_system.h"
#include "effects/particles/point_sprites.h"
#include "fx/effect.h"

class C_FXParticles : public C_FXEffect
{
public:
    C_FXParticles();
    ~C_FXParticles() override;
    static std::string TypeName() { return "particles"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarInt m_Count;
    C_VarVector3 m_SpawnPos;
    C_VarFloat m_SpawnRadius;
    C_VarVector3 m_Gravity;
    C_VarVector3 m_Velocity;
    C_VarFloat m_Spray;
    C_VarFloat m_Age;
    C_VarFloat m_AgeRand;
    C_VarFloat m_SizeStart;
    C_VarFloat m_SizeEnd;
    C_VarFloat m_SizeRand;
    C_VarColour m_ColourStart;
    C_VarColour m_ColourEnd;
    C_VarBool m_Rejuvinate;
    C_VarString m_Texture;

    Particles::SpriteBatch m_Batch;
    Particles::C_System* m_System;
    Particles::Settings m_Settings = {};
};
