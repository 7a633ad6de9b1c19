#include "effects/flat_quad.h"

#include "render/renderer.h"

void DrawFlatQuad(C_Renderer& renderer, const FlatQuad& quad, std::initializer_list<int> textures, const float* colour,
                  const float* placement, const float* options, std::initializer_list<const float*> pixelConstants)
{
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(quad.vertexShader);
    renderer.BindPixelShader(quad.pixelShader);
    int stage = 0;
    for (int texture : textures)
        renderer.BindTexture(stage++, texture);

    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, colour, 1);
    device->SetVertexShaderConstantF(1, placement, 1);
    device->SetVertexShaderConstantF(2, options, 1);
    UINT slot = 0;
    for (const float* constant : pixelConstants)
        device->SetPixelShaderConstantF(slot++, constant, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        renderer.DrawMesh(quad.mesh);
        device->EndScene();
    }

    renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
}
