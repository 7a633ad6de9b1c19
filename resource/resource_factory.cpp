#include "resource/resource_factory.h"

#include "resource/render_target.h"

namespace Resource
{
I_Resource* MakeResource(int kind)
{
    switch (kind)
    {
    case RenderTarget:
        return new C_RenderTarget;
    default:
        return nullptr;
    }
}
} // namespace Resource
