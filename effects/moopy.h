// A moving picture computed by moopy.vsh and moopy.psh from two images,
// "blob.bmp" (stage 0, clamped while drawing) and "sincosnoise.bmp" (stage 1),
// a tiling factor and the event's time.
#pragma once

#include "fx/effect.h"

class C_FXMoopy : public C_FXEffect
{
public:
    C_FXMoopy();
    static std::string TypeName() { return "moopy"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    int m_MeshIndex = -1;
    int m_BlobTextureIndex = -1;
    int m_NoiseTextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
    C_VarFloat m_Tiles;
};
