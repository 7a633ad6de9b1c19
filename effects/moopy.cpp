#include "effects/moopy.h"

#include "app/demo.h"

C_FXMoopy::C_FXMoopy()
{
    RegisterVariable("tiles", &m_Tiles);
}

bool C_FXMoopy::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_BlobTextureIndex = resources.Acquire("blob.bmp", Resource::Texture);
    m_NoiseTextureIndex = resources.Acquire("sincosnoise.bmp", Resource::Texture);
    m_MeshIndex = resources.Acquire("quad2d.x", Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("moopy.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("moopy.psh", Resource::PixelShader);
    return true;
}

bool C_FXMoopy::Render(float, float eventSeconds, float frameSeconds)
{
    const float tiles[4] = {m_Tiles.value, 0.0f, 0.0f, 0.0f};
    const float time[4] = {eventSeconds, frameSeconds, 0.0f, 0.0f};

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_BlobTextureIndex);
    renderer.BindTexture(1, m_NoiseTextureIndex);

    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, tiles, 1);
    device->SetPixelShaderConstantF(0, time, 1);
    // Straight to the device: the renderer keeps no cache of sampler states.
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);

    if (SUCCEEDED(device->BeginScene()))
    {
        renderer.DrawMesh(m_MeshIndex);
        device->EndScene();
    }

    renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    return true;
}
