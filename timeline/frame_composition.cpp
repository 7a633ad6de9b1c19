#include "app/demo.h"

namespace
{
uint32_t StartOf(const C_FXEffect& effect)
{
    return static_cast<uint32_t>(effect.m_StartTime.value);
}

uint32_t DurationOf(const C_FXEffect& effect)
{
    return static_cast<uint32_t>(effect.m_Duration.value);
}

// Active while start <= t < start + duration, all modulo 2^32.
bool IsActive(const C_FXEffect& effect, uint32_t time)
{
    uint32_t start = StartOf(effect);
    return start <= time && time < start + DurationOf(effect);
}
} // namespace

void C_Demo::AddActive(const boost::shared_ptr<C_FXEffect>& effect)
{
    int z = effect->m_Z.value;
    auto later = m_Active.begin();
    while (later != m_Active.end() && (*later)->m_Z.value <= z)
        ++later;
    m_Active.insert(later, effect);
}

bool C_Demo::RenderFrame(uint32_t time, uint32_t delta)
{
    // Whatever target is current: the last effect's target stays bound into
    // the next frame.
    m_Renderer.device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x00000000, 1.0f, 0);

    for (auto entry = m_Active.begin(); entry != m_Active.end();)
    {
        if (StartOf(**entry) + DurationOf(**entry) <= time)
            entry = m_Active.erase(entry);
        else
            ++entry;
    }

    for (uint32_t i = m_NextEvent; i < m_Events.size(); ++i)
    {
        if (IsActive(*m_Events[i], time))
        {
            AddActive(m_Events[i]);
            m_NextEvent = i + 1;
        }
    }

    float frameSeconds = static_cast<float>(static_cast<double>(delta) / 1000.0);
    for (const boost::shared_ptr<C_FXEffect>& effect : m_Active)
    {
        m_Renderer.BindRenderTarget(m_Resources.FindRenderTarget(effect->m_Target.text));
        float eventFloat = static_cast<float>(time - StartOf(*effect));
        float progress = static_cast<float>(eventFloat / static_cast<float>(DurationOf(*effect)));
        float eventSeconds = static_cast<float>(static_cast<double>(eventFloat) / 1000.0);
        if (!effect->Render(progress, eventSeconds, frameSeconds))
            return false;
    }
    return true;
}
