#include "effects/particles/point_sprites.h"

#include "app/demo.h"

namespace Particles
{
bool CreateSpriteDeclaration(SpriteBatch& batch)
{
    IDirect3DDevice9* device = C_Demo::GetInstance()->m_Renderer.device;
    HRESULT result = device->CreateVertexDeclaration(kVertexElements, &batch.declaration);
    batch.vertexSize = D3DXGetDeclVertexSize(kVertexElements, 0);
    return SUCCEEDED(result);
}

void ReleaseSpriteDeclaration(SpriteBatch& batch)
{
    if (batch.declaration)
    {
        batch.declaration->Release();
        batch.declaration = nullptr;
    }
}

uint32_t PoolSize(int count, UINT vertexSize)
{
    return FitVertices(static_cast<uint32_t>(count), vertexSize, C_Renderer::kDynamicVertexBufferSize);
}

void DrawSprites(C_System& system, const SpriteBatch& batch, int blendMode, const D3DXMATRIX& matrix)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    IDirect3DDevice9* device = renderer.device;
    UINT live = static_cast<UINT>(system.GetLiveCount());

    // Nothing is written when the lock fails (no buffer after a failed reset).
    void* data = nullptr;
    IDirect3DVertexBuffer9* buffer = renderer.dynamicVertexBuffer;
    if (buffer && SUCCEEDED(buffer->Lock(0, batch.vertexSize * live, &data, D3DLOCK_DISCARD)))
    {
        system.WriteVertices(static_cast<Vertex*>(data));
        buffer->Unlock();
    }

    float screen[4] = {static_cast<float>(static_cast<unsigned>(renderer.targetWidth)),
                       static_cast<float>(static_cast<unsigned>(renderer.targetHeight)), 0.0f, 0.0f};

    renderer.SetBlendMode(blendMode);
    renderer.SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(batch.vertexShader);
    renderer.BindPixelShader(batch.pixelShader);
    renderer.BindTexture(0, batch.texture);

    device->SetVertexShaderConstantF(0, matrix, 4);
    device->SetVertexShaderConstantF(4, screen, 1);

    device->BeginScene();
    device->SetVertexDeclaration(batch.declaration);
    device->SetStreamSource(0, buffer, 0, batch.vertexSize);
    device->DrawPrimitive(D3DPT_POINTLIST, 0, live);
    device->EndScene();

    renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    renderer.SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    renderer.SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    renderer.SetBlendMode(Opaque);
}
} // namespace Particles
