#include "effects/pqtorus.h"

#include "app/demo.h"
#include "app/log.h"
#include "effects/particles/random.h"

#include <d3dx9.h>

namespace
{
const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 4, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {0, 8, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    {0, 12, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
    D3DDECL_END(),
};

// A draw of the random source scaled to from .. to.
float RandomRange(float from, float to)
{
    return RandomUnit() * (to - from) + from;
}
} // namespace

IDirect3DVertexDeclaration9* C_FXPQTorus::s_Declaration = nullptr;
UINT C_FXPQTorus::s_Stride = 0;
IDirect3DVertexBuffer9* C_FXPQTorus::s_VertexBuffer = nullptr;
int C_FXPQTorus::s_Instances = 0;

C_FXPQTorus::C_FXPQTorus()
{
    RegisterVariable("start_pq", &m_StartPQ);
    RegisterVariable("end_pq", &m_EndPQ);
    RegisterVariable("colour1", &m_Colour1);
    RegisterVariable("colour2", &m_Colour2);
    ++s_Instances;
}

C_FXPQTorus::~C_FXPQTorus()
{
    if (--s_Instances > 0)
        return;
    if (s_VertexBuffer)
    {
        s_VertexBuffer->Release();
        s_VertexBuffer = nullptr;
    }
    if (s_Declaration)
    {
        s_Declaration->Release();
        s_Declaration = nullptr;
    }
}

bool C_FXPQTorus::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = resources.Acquire("particle.png", Resource::Texture);
    m_VertexShaderIndex = resources.Acquire("pqtorus.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("particle.psh", Resource::PixelShader);

    IDirect3DDevice9* device = C_Demo::GetInstance()->m_Renderer.device;
    if (!s_Declaration)
    {
        device->CreateVertexDeclaration(kElements, &s_Declaration);
        s_Stride = D3DXGetDeclVertexSize(kElements, 0);
    }
    if (s_VertexBuffer)
        return true;
    return BuildVertexBuffer(device);
}

bool C_FXPQTorus::BuildVertexBuffer(IDirect3DDevice9* device)
{
    const UINT length = s_Stride * kPoints;
    if (FAILED(device->CreateVertexBuffer(length, 0, 0, D3DPOOL_MANAGED, &s_VertexBuffer, NULL)))
    {
        s_VertexBuffer = nullptr;
        Diagnostic("Failed to create C_FXPQTorus vertex buffer");
        return false;
    }

    void* data = nullptr;
    if (FAILED(s_VertexBuffer->Lock(0, length, &data, 0)))
    {
        // Undefined contents are not drawn: the next Init tries again.
        s_VertexBuffer->Release();
        s_VertexBuffer = nullptr;
        return true;
    }
    float* vertex = static_cast<float*>(data);
    for (UINT i = 0; i < kPoints; ++i, vertex += 4)
    {
        vertex[0] = static_cast<float>(i * static_cast<double>(6.2831855f) / 500.0);
        vertex[1] = RandomRange(0.05f, 0.1f);
        vertex[2] = RandomRange(0.0f, 1.0f);
        vertex[3] = 0.03f;
    }
    s_VertexBuffer->Unlock();
    return true;
}

bool C_FXPQTorus::Render(float progress, float eventSeconds, float)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    const float width = static_cast<float>(static_cast<unsigned>(renderer.targetWidth));
    const float height = static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, width / height, 1.0f, 100.0f);
    D3DXMatrixTranspose(&projection, &projection);

    const float p = m_StartPQ.x + (m_EndPQ.x - m_StartPQ.x) * progress;
    const float q = m_StartPQ.y + (m_EndPQ.y - m_StartPQ.y) * progress;
    const float time = static_cast<float>(static_cast<double>(eventSeconds) * static_cast<double>(3.1415927f) * 2.0);

    renderer.SetBlendMode(AlphaAdditive);
    renderer.SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_TextureIndex);

    const float target[4] = {width, height, 0.0f, 0.0f};
    const float colour1[4] = {m_Colour1.r, m_Colour1.g, m_Colour1.b, m_Colour1.a};
    const float colour2[4] = {m_Colour2.r, m_Colour2.g, m_Colour2.b, m_Colour2.a};
    const float angle[4] = {time, 0.0f, 0.0f, 0.0f};
    const float knot[4] = {p, q, 0.0f, 0.0f};
    const float scale[4] = {6.5f, 0.0f, 0.0f, 0.0f};
    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, projection, 4);
    device->SetVertexShaderConstantF(4, target, 1);
    device->SetVertexShaderConstantF(8, colour1, 1);
    device->SetVertexShaderConstantF(9, colour2, 1);
    device->SetVertexShaderConstantF(10, angle, 1);
    device->SetVertexShaderConstantF(11, knot, 1);
    device->SetVertexShaderConstantF(12, scale, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        device->SetVertexDeclaration(s_Declaration);
        device->SetStreamSource(0, s_VertexBuffer, 0, s_Stride);
        // Without a buffer the stream is empty and nothing is drawn.
        if (s_VertexBuffer)
            device->DrawPrimitive(D3DPT_POINTLIST, 0, kPoints);
        device->EndScene();
    }
    renderer.SetBlendMode(Opaque);
    return true;
}
