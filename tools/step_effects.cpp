#include "step_effects.h"

#include "app/demo.h"
#include "effects/bubbles.h"
#include "effects/particles.h"

#include <vector>

namespace Stepping
{
namespace
{
struct Stateful
{
    uint32_t start;
    Particles::C_System* system;
};

bool ActiveAt(const C_FXEffect& effect, uint32_t time)
{
    uint32_t start = static_cast<uint32_t>(effect.m_StartTime.value);
    uint32_t duration = static_cast<uint32_t>(effect.m_Duration.value);
    return time - start < duration;
}
} // namespace

uint32_t StepTo(C_Demo& demo, uint32_t time, int fps)
{
    demo.m_Active.clear();
    demo.m_NextEvent = 0;

    // In event order, as the composition draws effects of equal z, so that the
    // shared random source is drawn from in a play-through's order.
    std::vector<Stateful> stepped;
    for (const boost::shared_ptr<C_FXEffect>& effect : demo.m_Events)
    {
        Particles::C_System* system = nullptr;
        if (C_FXParticles* particles = dynamic_cast<C_FXParticles*>(effect.get()))
        {
            particles->m_System->Init(Particles::PoolSize(particles->m_Count.value, particles->m_Batch.vertexSize),
                                      particles->m_Settings);
            system = particles->m_System;
        }
        else if (C_FXBubbles* bubbles = dynamic_cast<C_FXBubbles*>(effect.get()))
        {
            bubbles->m_System->Init(Particles::PoolSize(bubbles->m_Count.value, bubbles->m_Batch.vertexSize),
                                    bubbles->m_Settings);
            system = bubbles->m_System;
        }
        if (system && ActiveAt(*effect, time))
            stepped.push_back({static_cast<uint32_t>(effect->m_StartTime.value), system});
    }

    uint32_t start = demo.m_StartTime;
    if (time <= start)
        return time;
    // The first frame's delta runs from 0, as in the player's first pass.
    uint64_t previous = 0;
    for (uint64_t n = 0;; ++n)
    {
        uint64_t frame = FrameTime(start, n, fps);
        if (frame >= time)
            break;
        float seconds = static_cast<float>(static_cast<double>(frame - previous) / 1000.0);
        for (const Stateful& effect : stepped)
        {
            if (effect.start <= frame)
                effect.system->Update(seconds);
        }
        previous = frame;
    }
    return static_cast<uint32_t>(previous);
}
} // namespace Stepping
