// A textured tube of radius 1 and length 100 running from the eye along +z,
// seen from inside. The geometry is built once and shared by every tunnel;
// tunnel.vsh bends and scrolls it from one time value.
#pragma once

#include "fx/effect.h"

#include <d3d9.h>

class C_FXTunnel : public C_FXEffect
{
public:
    static const UINT kRings = 101;
    static const UINT kRingVertices = 33; // the last one closes the seam
    static const UINT kVertices = kRings * kRingVertices;
    static const UINT kTriangles = (kRings - 1) * (kRingVertices - 1) * 2;

    C_FXTunnel();
    // The last tunnel releases the shared geometry; the next Init builds it again.
    ~C_FXTunnel() override;
    static std::string TypeName() { return "tunnel"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarString m_Texture;
    C_VarBool m_Blend;
    C_VarFloat m_Speed;

    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;

    static IDirect3DVertexDeclaration9* s_Declaration;
    static UINT s_Stride;
    static IDirect3DVertexBuffer9* s_VertexBuffer;
    static IDirect3DIndexBuffer9* s_IndexBuffer;

private:
    // Tunnels alive: a reload builds the new show before the old one goes.
    static int s_Instances;

    static bool BuildGeometry(IDirect3DDevice9* device);
};
