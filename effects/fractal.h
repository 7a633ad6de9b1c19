// A full-target fractal computed by fractal.psh: the start value z, the
// constant c and the zoom move from start to end over the event, and the
// shader colours through the texture on stage 0.
#pragma once

#include "fx/effect.h"

class C_FXFractal : public C_FXEffect
{
public:
    C_FXFractal();
    static std::string TypeName() { return "fractal"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarVector2 m_StartZ;
    C_VarVector2 m_EndZ;
    C_VarVector2 m_StartC;
    C_VarVector2 m_EndC;
    C_VarFloat m_StartZoom;
    C_VarFloat m_EndZoom;
    C_VarString m_Texture;

    int m_TextureIndex = -1;
    int m_MeshIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
};
