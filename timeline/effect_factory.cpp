#include "timeline/effect_factory.h"

#include "app/log.h"
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

void EffectFactory::RegisterAll()
{
    // One Register<T>() per effect class, in alphabetical order of type name.
    Register<C_FXBubbles>();
    Register<C_FXClear>();
    Register<C_FXEnvModel>();
    Register<C_FXFractal>();
    Register<C_FXMoopy>();
    Register<C_FXParticles>();
    Register<C_FXPostProcess>();
    Register<C_FXPQTorus>();
    Register<C_FXQuad2D>();
    Register<C_FXRadialBlur>();
    Register<C_FXShapeGrid>();
    Register<C_FXText>();
    Register<C_FXTunnel>();
    Register<C_FXWindow2D>();
}

void EffectFactory::Register(const std::string& name, Creator creator)
{
    if (!m_Creators.emplace(name, creator).second)
    {
        Diagnostic("Effect " + name + " already registered");
    }
}

C_FXEffect* EffectFactory::Create(std::string name) const
{
    const auto found = m_Creators.find(name);
    if (found == m_Creators.end())
    {
        Diagnostic("No effect found with the name " + name);
        return nullptr;
    }
    return found->second();
}
