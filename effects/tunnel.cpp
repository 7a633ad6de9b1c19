#include "effects/tunnel.h"

#include "app/demo.h"
#include "effects/texture_lookup.h"

#include <d3dx9.h>

#include <cmath>

namespace
{
const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

template <class T>
void Release(T*& object)
{
    if (object)
    {
        object->Release();
        object = nullptr;
    }
}
} // namespace

IDirect3DVertexDeclaration9* C_FXTunnel::s_Declaration = nullptr;
UINT C_FXTunnel::s_Stride = 0;
IDirect3DVertexBuffer9* C_FXTunnel::s_VertexBuffer = nullptr;
IDirect3DIndexBuffer9* C_FXTunnel::s_IndexBuffer = nullptr;
int C_FXTunnel::s_Instances = 0;

C_FXTunnel::C_FXTunnel()
{
    RegisterVariable("texture", &m_Texture);
    RegisterVariable("blend", &m_Blend);
    RegisterVariable("speed", &m_Speed);
    ++s_Instances;
}

C_FXTunnel::~C_FXTunnel()
{
    if (--s_Instances > 0)
        return;
    Release(s_Declaration);
    Release(s_VertexBuffer);
    Release(s_IndexBuffer);
}

bool C_FXTunnel::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = FindOrAcquireTexture(resources, m_Texture.text);
    m_VertexShaderIndex = resources.Acquire("tunnel.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("tunnel.psh", Resource::PixelShader);
    return BuildGeometry(C_Demo::GetInstance()->m_Renderer.device);
}

bool C_FXTunnel::BuildGeometry(IDirect3DDevice9* device)
{
    if (!s_Declaration)
    {
        if (FAILED(device->CreateVertexDeclaration(kElements, &s_Declaration)))
        {
            s_Declaration = nullptr;
            return false;
        }
        s_Stride = D3DXGetDeclVertexSize(kElements, 0);
    }

    if (!s_VertexBuffer)
    {
        const UINT length = s_Stride * kVertices;
        if (FAILED(device->CreateVertexBuffer(length, 0, 0, D3DPOOL_MANAGED, &s_VertexBuffer, NULL)))
        {
            s_VertexBuffer = nullptr;
            return false;
        }
        void* data = nullptr;
        if (FAILED(s_VertexBuffer->Lock(0, length, &data, 0)))
        {
            // A buffer left unfilled would be drawn as garbage: build it again next time.
            Release(s_VertexBuffer);
            return false;
        }
        float* vertex = static_cast<float*>(data);
        for (UINT i = 0; i < kRings; ++i)
        {
            for (UINT j = 0; j < kRingVertices; ++j, vertex += 5)
            {
                const float theta = static_cast<float>(j * static_cast<double>(6.2831855f) * 0.03125);
                vertex[0] = static_cast<float>(std::cos(static_cast<double>(theta)));
                vertex[1] = static_cast<float>(std::sin(static_cast<double>(theta)));
                vertex[2] = static_cast<float>(i * 100.0 / 100.0);
                vertex[3] = static_cast<float>(j * 0.03125);
                vertex[4] = static_cast<float>(i * 0.5);
            }
        }
        s_VertexBuffer->Unlock();
    }

    if (!s_IndexBuffer)
    {
        const UINT length = kTriangles * 3 * sizeof(WORD);
        if (FAILED(device->CreateIndexBuffer(length, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &s_IndexBuffer, NULL)))
        {
            s_IndexBuffer = nullptr;
            return false;
        }
        void* data = nullptr;
        if (FAILED(s_IndexBuffer->Lock(0, length, &data, 0)))
        {
            Release(s_IndexBuffer);
            return false;
        }
        WORD* index = static_cast<WORD*>(data);
        for (UINT ring = 0; ring + 1 < kRings; ++ring)
        {
            for (UINT segment = 0; segment + 1 < kRingVertices; ++segment)
            {
                const WORD b = static_cast<WORD>(ring * kRingVertices + segment);
                const WORD next = static_cast<WORD>(b + kRingVertices);
                const WORD triangles[6] = {
                    b, next, static_cast<WORD>(next + 1), b, static_cast<WORD>(next + 1), static_cast<WORD>(b + 1)};
                for (WORD i : triangles)
                    *index++ = i;
            }
        }
        s_IndexBuffer->Unlock();
    }
    return true;
}

bool C_FXTunnel::Render(float, float eventSeconds, float)
{
    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    const float width = static_cast<float>(static_cast<unsigned>(renderer.targetWidth));
    const float height = static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, width / height, 0.1f, 100.0f);
    D3DXMatrixTranspose(&projection, &projection);
    const float time[4] = {m_Speed.value * eventSeconds, 0.0f, 0.0f, 0.0f};

    if (m_Blend.flag)
    {
        renderer.SetBlendMode(AlphaAdditive);
        renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    }
    renderer.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_TextureIndex);

    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, projection, 4);
    device->SetVertexShaderConstantF(4, time, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        // A geometry that failed to build is not drawn in part.
        if (s_Declaration && s_VertexBuffer && s_IndexBuffer)
        {
            device->SetVertexDeclaration(s_Declaration);
            device->SetStreamSource(0, s_VertexBuffer, 0, s_Stride);
            device->SetIndices(s_IndexBuffer);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kVertices, 0, kTriangles);
        }
        device->EndScene();
    }

    if (m_Blend.flag)
    {
        renderer.SetBlendMode(Opaque);
        renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    }
    renderer.BindTexture(0, -1);
    return true;
}
