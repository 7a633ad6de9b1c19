// 500 additive point sprites that pqtorus.vsh strings along a (p, q) torus
// knot. The points carry only a curve parameter, two random numbers and a
// size; they are built once into a buffer that every instance shares.
#pragma once

#include "fx/effect.h"

#include <d3d9.h>

class C_FXPQTorus : public C_FXEffect
{
public:
    static const UINT kPoints = 500;

    C_FXPQTorus();
    // The last instance releases the shared declaration and buffer; the next
    // Init builds them again.
    ~C_FXPQTorus() override;
    static std::string TypeName() { return "pqtorus"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarVector2 m_StartPQ;
    C_VarVector2 m_EndPQ;
    C_VarColour m_Colour1;
    C_VarColour m_Colour2;

    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;

    static IDirect3DVertexDeclaration9* s_Declaration;
    static UINT s_Stride;
    static IDirect3DVertexBuffer9* s_VertexBuffer;

private:
    // Instances alive: a reload builds the new show before the old one goes.
    static int s_Instances;

    static bool BuildVertexBuffer(IDirect3DDevice9* device);
};
