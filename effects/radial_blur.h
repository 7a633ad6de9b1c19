// A full-target zoom blur of a texture or render target; the quad colour and
// the blur amount move from start to end over the event. Draws with whatever
// blend mode is current.
#pragma once

#include "fx/effect.h"

class C_FXRadialBlur : public C_FXEffect
{
public:
    C_FXRadialBlur();
    static std::string TypeName() { return "radial_blur"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarColour m_StartColour;
    C_VarColour m_EndColour;
    C_VarFloat m_StartAmount;
    C_VarFloat m_EndAmount;
    C_VarString m_Texture;

    int m_MeshIndex = -1;
    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
};
