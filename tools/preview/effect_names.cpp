#include "preview/effect_names.h"

#include "effects/bubbles.h"
#include "effects/clear.h"
#include "effects/env_model.h"
#include "effects/fractal.h"
#include "effects/moopy.h"
#include "effects/particles.h"
#include "effects/postprocess.h"
#include "effects/pqtorus.h"
#include "effects/quad2d.h"
#include "effects/radial_blur.h"
#include "effects/shape_grid.h"
#include "effects/text.h"
#include "effects/tunnel.h"
#include "effects/window2d.h"

#include <typeindex>
#include <unordered_map>

namespace Preview
{
namespace
{
template <class T>
std::pair<const std::type_index, std::string> Entry()
{
    return {std::type_index(typeid(T)), T::TypeName()};
}
} // namespace

std::string EffectTypeName(const C_FXEffect& effect)
{
    static const std::unordered_map<std::type_index, std::string> names = {
        Entry<C_FXBubbles>(), Entry<C_FXClear>(),      Entry<C_FXEnvModel>(),    Entry<C_FXFractal>(),
        Entry<C_FXMoopy>(),   Entry<C_FXParticles>(),  Entry<C_FXPostProcess>(), Entry<C_FXPQTorus>(),
        Entry<C_FXQuad2D>(),  Entry<C_FXRadialBlur>(), Entry<C_FXShapeGrid>(),   Entry<C_FXText>(),
        Entry<C_FXTunnel>(),  Entry<C_FXWindow2D>()};
    auto found = names.find(std::type_index(typeid(effect)));
    return found != names.end() ? found->second : "effect";
}
} // namespace Preview
