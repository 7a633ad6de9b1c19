#include "resource/mesh.h"

#include "app/log.h"
#include "render/d3dx_mesh.h"

namespace Resource
{
C_Mesh::~C_Mesh()
{
    delete m_Mesh;
}

bool C_Mesh::Load(const std::string& name)
{
    C_D3DXMesh* mesh = new C_D3DXMesh;
    m_Mesh = mesh;
    const std::string path = "data\\models\\" + name;
    if (!mesh->LoadFromFile(path.c_str()))
    {
        Diagnostic("Failed to load mesh" + name);
        delete m_Mesh;
        m_Mesh = nullptr;
        return false;
    }
    Diagnostic("Loaded " + name);
    return true;
}
} // namespace Resource
