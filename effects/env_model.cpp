#include "effects/env_model.h"

#include "app/demo.h"
#include "effects/texture_lookup.h"

#include <d3dx9.h>

#include <cmath>

C_FXEnvModel::C_FXEnvModel()
{
    RegisterVariable("env_map", &m_EnvMap);
    RegisterVariable("model", &m_Model);
    RegisterVariable("axis", &m_Axis);
    RegisterVariable("rotations", &m_Rotations);
    RegisterVariable("depth", &m_Depth);
    RegisterVariable("colour1", &m_Colour1);
    RegisterVariable("colour2", &m_Colour2);
}

C_FXEnvModel::~C_FXEnvModel() = default;

bool C_FXEnvModel::Init()
{
    C_ResourceRegistry& resources = C_Demo::GetInstance()->m_Resources;
    m_EnvMapIndex = FindOrAcquireTexture(resources, m_EnvMap.text);
    m_MeshIndex = resources.Acquire(m_Model.text, Resource::Mesh);
    m_VertexShaderIndex = resources.Acquire("env_model.vsh", Resource::VertexShader);
    m_PixelShaderIndex = resources.Acquire("env_model.psh", Resource::PixelShader);
    return true;
}

bool C_FXEnvModel::Render(float progress, float eventSeconds, float)
{
    // Products in double, each named value stored as float, as the Windows build rounds them.
    const double u = static_cast<double>(eventSeconds) * static_cast<double>(6.2831855f);
    const float a = static_cast<float>(u * static_cast<double>(0.45f));
    const float radius = static_cast<float>((std::sin(static_cast<double>(a)) + 2.0) * 0.25);

    D3DXVECTOR3 axis(m_Axis.x, m_Axis.y, m_Axis.z);
    D3DXVec3Normalize(&axis, &axis);
    const float angle = static_cast<float>(static_cast<double>(progress) * static_cast<double>(3.1415927f) * 2.0 *
                                           static_cast<double>(m_Rotations.value));
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &axis, angle);

    const float b = static_cast<float>(u * static_cast<double>(0.29f));
    const float x = static_cast<float>(std::cos(static_cast<double>(b)) * radius);
    const float y = static_cast<float>(std::cos(static_cast<double>(a)) * radius);
    const float zOffset = static_cast<float>(std::sin(static_cast<double>(b)) * radius);
    const float z = static_cast<float>(static_cast<double>(zOffset) + static_cast<double>(m_Depth.value));
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, x, y, z);

    // The screen's aspect, even inside a render target of another shape.
    const C_Settings& settings = C_Demo::GetInstance()->m_Settings;
    const float aspect = static_cast<float>(static_cast<unsigned>(settings.width)) /
                         static_cast<float>(static_cast<unsigned>(settings.height));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, aspect, 1.0f, 100.0f);

    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &rotation, &translation);
    D3DXMATRIX worldViewProjection;
    D3DXMatrixMultiply(&worldViewProjection, &world, &projection);
    D3DXMatrixTranspose(&worldViewProjection, &worldViewProjection);
    D3DXMatrixTranspose(&world, &world);

    C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    renderer.BindVertexShader(m_VertexShaderIndex);
    renderer.BindPixelShader(m_PixelShaderIndex);
    renderer.BindTexture(0, m_EnvMapIndex);

    IDirect3DDevice9* device = renderer.device;
    device->SetVertexShaderConstantF(0, worldViewProjection, 4);
    device->SetVertexShaderConstantF(4, world, 4);
    const float colour1[4] = {m_Colour1.r, m_Colour1.g, m_Colour1.b, m_Colour1.a};
    const float colour2[4] = {m_Colour2.r, m_Colour2.g, m_Colour2.b, m_Colour2.a};
    device->SetPixelShaderConstantF(0, colour1, 1);
    device->SetPixelShaderConstantF(1, colour2, 1);

    if (SUCCEEDED(device->BeginScene()))
    {
        renderer.DrawMesh(m_MeshIndex);
        device->EndScene();
    }
    return true;
}
