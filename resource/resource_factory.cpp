#include "resource/resource_factory.h"

#include "resource/render_target.h"
#include "resource/shader.h"

namespace Resource
{
I_Resource* MakeResource(int kind)
{
    switch (kind)
    {
    case RenderTarget:
        return new C_RenderTarget;
    case VertexShader:
        return new C_VertexShader;
    case PixelShader:
        return new C_PixelShader;
    default:
        return nullptr;
    }
}
} // namespace Resource
