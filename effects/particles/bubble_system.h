// Bubbles rising through clip space: born anywhere on the screen, reborn below
// the bottom edge once they leave the top. No gravity, ageing or fading.
#pragma once

#include "effects/particles/particle_system.h"

class C_BubbleSystem : public Particles::C_System
{
public:
    void Spawn(Particles::Particle& particle) override;
    bool Update(float dt) override;
};
