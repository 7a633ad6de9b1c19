// Bubbles rising over a black screen: clears the target, then draws one
// bubble system additively, positions straight in the target's clip space.
#pragma once

#include "effects/particles/bubble_system.h"
#include "effects/particles/point_sprites.h"
#include "fx/effect.h"

class C_FXBubbles : public C_FXEffect
{
public:
    C_FXBubbles();
    ~C_FXBubbles() override;
    static std::string TypeName() { return "bubbles"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarInt m_Count;
    C_VarColour m_Colour1;
    C_VarColour m_Colour2;
    C_VarFloat m_Size; // the smallest bubble; sizes run up to twice this

    Particles::SpriteBatch m_Batch;
    C_BubbleSystem* m_System;
    Particles::Settings m_Settings = {};
};
