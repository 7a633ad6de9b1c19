// The drawing that the particle effects share: the system's live particles as
// point sprites from the renderer's dynamic vertex buffer.
#pragma once

#include "effects/particles/particle_system.h"

#include <d3d9.h>
#include <d3dx9.h>

namespace Particles
{
// What a particle effect holds for drawing, in the order the effects declare it.
struct SpriteBatch
{
    int texture = -1;
    int vertexShader = -1;
    int pixelShader = -1;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    UINT vertexSize = 0;
};

// The vertex declaration and its size; false when the device refuses it.
bool CreateSpriteDeclaration(SpriteBatch& batch);
void ReleaseSpriteDeclaration(SpriteBatch& batch);

// A pool size from the script's count: a negative count reads as a huge
// unsigned one, and no more vertices are kept than the dynamic buffer holds.
uint32_t PoolSize(int count, UINT vertexSize);

// Writes the live particles into the dynamic buffer, then draws them with
// the blend mode, the matrix in c0..c3 (already transposed) and the target
// size in c4; point sprites and depth test are restored afterwards.
void DrawSprites(C_System& system, const SpriteBatch& batch, int blendMode, const D3DXMATRIX& matrix);
} // namespace Particles
