// A full-target pass through a pixel shader that the script names: the image
// on stage 0, a second texture on stage 1 whose texel size the shader gets,
// and the event's running time. Draws with whatever blend mode is current.
#pragma once

#include "fx/effect.h"

class C_FXPostProcess : public C_FXEffect
{
public:
    C_FXPostProcess();
    static std::string TypeName() { return "postprocess"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarString m_PixelShader;
    C_VarString m_Image;
    C_VarString m_Texture;

    int m_ImageIndex = -1;
    int m_TextureIndex = -1;
    int m_MeshIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
    // Of the resource on stage 1; 1 x 1 when it names no texture or target.
    unsigned m_TextureWidth = 1;
    unsigned m_TextureHeight = 1;
};
