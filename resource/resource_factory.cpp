#include "resource/resource_factory.h"

#include "resource/mesh.h"
#include "resource/render_target.h"
#include "resource/shader.h"
#include "resource/texture.h"

namespace Resource
{
I_Resource* MakeResource(int kind)
{
    switch (kind)
    {
    case Texture: return new C_Texture;
    case RenderTarget: return new C_RenderTarget;
    case Mesh: return new C_Mesh;
    case VertexShader: return new C_VertexShader;
    case PixelShader: return new C_PixelShader;
    default: return nullptr;
    }
}
} // namespace Resource
