#include "resource/texture.h"

#include "app/demo.h"
#include "app/log.h"

namespace Resource
{
C_Texture::~C_Texture()
{
    if (m_Texture)
        m_Texture->Release();
}

bool C_Texture::Load(const std::string& name)
{
    std::string path = "data\\textures\\" + name;
    IDirect3DDevice9* device = C_Demo::GetInstance()->m_Renderer.device;
    if (FAILED(D3DXCreateTextureFromFileA(device, path.c_str(), &m_Texture)))
    {
        m_Texture = nullptr;
        Diagnostic("Failed to create texture " + name);
        return false;
    }
    Diagnostic("Loaded " + name);
    D3DXGetImageInfoFromFileA(path.c_str(), &m_Info);
    return true;
}
} // namespace Resource
