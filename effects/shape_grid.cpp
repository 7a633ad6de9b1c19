#include "effects/shape_grid.h"

#include "app/demo.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
// A coordinate's next value along its loop. One that no longer grows when the
// step is added (at huge extents) reads as past the far edge, or its loop
// would never end.
float NextCoordinate(float coordinate, float step)
{
    const float next = coordinate + step;
    return next > coordinate ? next : std::numeric_limits<float>::infinity();
}
} // namespace

bool ShapeGridInside(int shape, const D3DXVECTOR4& point)
{
    const float x = point.x;
    const float y = point.y;
    const float z = point.z;
    switch (shape)
    {
    case 0: return x * x + y * y + z * z < 1.0f;
    case 1: return std::fabs(x) < 1.0f && std::fabs(y) < 1.0f && std::fabs(z) < 1.0f;
    case 2:
    {
        const float r2 = x * x + y * y;
        return 0.3025f < r2 && r2 < 1.6899998f && std::fabs(z) < 0.5f;
    }
    default: return false;
    }
}

C_FXShapeGrid::C_FXShapeGrid()
{
    RegisterVariable("colour1", &m_Colour1);
    RegisterVariable("colour2", &m_Colour2);
    RegisterVariable("shape1", &m_Shape1);
    RegisterVariable("shape2", &m_Shape2);
    RegisterVariable("grid_x", &m_GridX);
    RegisterVariable("grid_y", &m_GridY);
    RegisterVariable("grid_z", &m_GridZ);
    RegisterVariable("step_size", &m_StepSize);
    RegisterVariable("point_size", &m_PointSize);
    D3DXMatrixIdentity(&m_Shape1Matrix);
    D3DXMatrixIdentity(&m_Shape2Matrix);
}

C_FXShapeGrid::~C_FXShapeGrid()
{
    if (m_Declaration)
    {
        m_Declaration->Release();
        m_Declaration = nullptr;
    }
}

bool C_FXShapeGrid::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_TextureIndex = resources.Acquire("particle.png", Resource::Texture);
    m_VertexShaderIndex = resources.Acquire("particle.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("particle.psh", Resource::PixelShader);
    C_Demo::GetInstance()->m_Renderer.device->CreateVertexDeclaration(Particles::kVertexElements, &m_Declaration);
    m_Stride = D3DXGetDeclVertexSize(Particles::kVertexElements, 0);
    return true;
}

void C_FXShapeGrid::PlaceShapes(float s)
{
    D3DXVECTOR3 axis1(1.0f, 4.0f, 2.0f);
    D3DXVECTOR3 axis2(2.0f, 1.0f, 6.0f);
    D3DXVec3Normalize(&axis1, &axis1);
    D3DXVec3Normalize(&axis2, &axis2);
    D3DXMATRIX rotation1;
    D3DXMATRIX rotation2;
    D3DXMatrixRotationAxis(&rotation1, &axis1, s * 2.7f);
    D3DXMatrixRotationAxis(&rotation2, &axis2, s * -3.2f);

    const float k1 = (std::sin(s * 1.5f) + 2.0f) * 0.75f;
    const float k2 = (std::sin(s) + 2.0f) * 0.75f;
    D3DXMATRIX translation1;
    D3DXMATRIX translation2;
    D3DXMatrixTranslation(&translation1, std::cos(s * 2.5f) * k1, std::cos(s * 1.5f) * k1, 0.0f);
    D3DXMatrixTranslation(&translation2, std::cos(s * 1.5f) * k2, std::cos(s) * k2, 0.0f);

    // Row vectors: a grid point is translated first, then rotated.
    D3DXMatrixMultiply(&m_Shape1Matrix, &translation1, &rotation1);
    D3DXMatrixMultiply(&m_Shape2Matrix, &translation2, &rotation2);
}

UINT C_FXShapeGrid::GeneratePoints(Particles::Vertex* destination, UINT capacity) const
{
    const float step = m_StepSize.value;
    const int counts[3] = {m_GridX.value, m_GridY.value, m_GridZ.value};
    const float h = step * 0.5f;
    const float hx = h * static_cast<float>(counts[0]);
    const float hy = h * static_cast<float>(counts[1]);
    const float hz = h * static_cast<float>(counts[2]);
    const DWORD colour1 = Particles::PackColour(D3DXCOLOR(m_Colour1.r, m_Colour1.g, m_Colour1.b, m_Colour1.a));
    const DWORD colour2 = Particles::PackColour(D3DXCOLOR(m_Colour2.r, m_Colour2.g, m_Colour2.b, m_Colour2.a));
    const int shape1 = m_Shape1.value;
    const int shape2 = m_Shape2.value;
    const float pointSize = m_PointSize.value;

    // No points: no loop at all, however many rows the other counts ask for.
    if (counts[0] <= 0 || counts[1] <= 0 || counts[2] <= 0 || !(step > 0.0f))
        return 0;
    // Float steps can land just short of the far edge, one point more than the
    // count (26 for 25 at step 0.16): that point is drawn too. The locked room
    // holds the counts' product, so writing stops where it is full.
    UINT n = 0;
    for (float z = -hz; z < hz; z = NextCoordinate(z, step))
    {
        for (float y = -hy; y < hy; y = NextCoordinate(y, step))
        {
            for (float x = -hx; x < hx; x = NextCoordinate(x, step))
            {
                const D3DXVECTOR3 g(x, y, z);
                D3DXVECTOR4 g1;
                D3DXVECTOR4 g2;
                D3DXVec3Transform(&g1, &g, &m_Shape1Matrix);
                D3DXVec3Transform(&g2, &g, &m_Shape2Matrix);
                DWORD colour;
                if (ShapeGridInside(shape1, g1))
                    colour = colour1;
                else if (ShapeGridInside(shape2, g2))
                    colour = colour2;
                else
                    continue;
                if (n == capacity)
                    return n;
                Particles::Vertex& v = destination[n++];
                v.x = x;
                v.y = y;
                v.z = z + 5.0f;
                v.colour = colour;
                v.size = pointSize;
            }
        }
    }
    return n;
}

bool C_FXShapeGrid::Render(float, float eventSeconds, float)
{
    PlaceShapes(eventSeconds);

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    const float width = static_cast<float>(static_cast<unsigned>(renderer.targetWidth));
    const float height = static_cast<float>(static_cast<unsigned>(renderer.targetHeight));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, width / height, 1.0f, 100.0f);
    D3DXMatrixTranspose(&projection, &projection);

    // A grid larger than the buffer makes the lock fail: nothing is written or
    // drawn. A product that does not fit 32 bits is not handed to the lock at
    // all, where it would wrap to a size the buffer might accept.
    IDirect3DVertexBuffer9* buffer = renderer.dynamicVertexBuffer;
    // Three counts of up to 2^31 overflow even 64 bits.
    int64_t points = 0;
    int64_t bytes = -1;
    const bool counted =
        !__builtin_mul_overflow(static_cast<int64_t>(m_GridZ.value) * m_GridY.value, m_GridX.value, &points) &&
        !__builtin_mul_overflow(points, static_cast<int64_t>(m_Stride), &bytes);
    UINT n = 0;
    void* data = nullptr;
    if (buffer && counted && bytes >= 0 && bytes <= static_cast<int64_t>(UINT32_MAX) &&
        SUCCEEDED(buffer->Lock(0, static_cast<UINT>(bytes), &data, D3DLOCK_DISCARD)))
    {
        n = GeneratePoints(static_cast<Particles::Vertex*>(data), static_cast<UINT>(points));
        buffer->Unlock();
    }

    renderer.SetBlendMode(AlphaAdditive);
    renderer.SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_TextureIndex);

    const float target[4] = {width, height, 0.0f, 0.0f};
    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, projection, 4);
    device->SetVertexShaderConstantF(4, target, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        device->SetVertexDeclaration(m_Declaration);
        device->SetStreamSource(0, buffer, 0, m_Stride);
        device->DrawPrimitive(D3DPT_POINTLIST, 0, n);
        device->EndScene();
    }
    renderer.SetBlendMode(Opaque);
    return true;
}
