// A regular grid of points in front of the viewer of which only those inside
// one of two tumbling solids light up, as additive point sprites streamed
// through the renderer's dynamic vertex buffer every frame.
#pragma once

#include "effects/particles/particle_system.h"
#include "fx/effect.h"

#include <d3d9.h>
#include <d3dx9.h>

// Whether the point's x, y, z lie inside solid number shape: 0 sphere, 1 cube,
// 2 flat ring about z; any other number is empty.
bool ShapeGridInside(int shape, const D3DXVECTOR4& point);

class C_FXShapeGrid : public C_FXEffect
{
public:
    C_FXShapeGrid();
    ~C_FXShapeGrid() override;
    static std::string TypeName() { return "shape_grid"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    // The two solids' transforms at that many seconds into the event.
    void PlaceShapes(float eventSeconds);
    // Writes one vertex per lit grid point, at most capacity of them; returns how many.
    UINT GeneratePoints(Particles::Vertex* destination, UINT capacity) const;

    C_VarColour m_Colour1;
    C_VarColour m_Colour2;
    C_VarInt m_Shape1;
    C_VarInt m_Shape2;
    C_VarInt m_GridX;
    C_VarInt m_GridY;
    C_VarInt m_GridZ;
    C_VarFloat m_StepSize;
    C_VarFloat m_PointSize;

    int m_TextureIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;
    UINT m_Stride = 0;
    D3DXMATRIX m_Shape1Matrix;
    D3DXMATRIX m_Shape2Matrix;
};
