// A picture of text from an image file, shown as a quad at its own pixel size
// on a 1024 x 768 screen times a scale, fading in and out over the first and
// last fractions of the event. Draws with whatever blend mode is current.
#pragma once

#include "fx/effect.h"

class C_FXText : public C_FXEffect
{
public:
    C_FXText();
    static std::string TypeName() { return "text"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    // The brightness at progress p: rises over start length, falls over end length.
    float Fade(float progress) const;

    C_VarFloat m_X;
    C_VarFloat m_Y;
    C_VarString m_Texture;
    C_VarFloat m_Scale;
    C_VarFloat m_StartLength;
    C_VarFloat m_EndLength;

    int m_MeshIndex = -1;
    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
    float m_WidthFactor = 0.0f;  // image width / 1024
    float m_HeightFactor = 0.0f; // image height / 768
};
