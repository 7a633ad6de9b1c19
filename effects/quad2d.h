// One alpha-blended rectangle, optionally textured by an image or by a render
// target of the script, its colour fading from start to end over the event.
// The shader places it; see data/shaders/quad2d.vsh for the coordinates.
#pragma once

#include "fx/effect.h"

class C_FXQuad2D : public C_FXEffect
{
public:
    C_FXQuad2D();
    static std::string TypeName() { return "quad2d"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarColour m_StartColour;
    C_VarColour m_EndColour;
    C_VarFloat m_X;
    C_VarFloat m_Y;
    C_VarFloat m_Width;
    C_VarFloat m_Height;
    C_VarBool m_ScreenSpace;
    C_VarString m_Texture;

    int m_MeshIndex = -1;
    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
};
