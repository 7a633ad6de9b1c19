// The particle and bubble systems: draws from the shared random source, birth,
// ageing, rebirth and the vertices they write.
#include "effects/particles/bubble_system.h"
#include "effects/particles/particle_system.h"
#include "effects/particles/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
using Particles::C_System;
using Particles::Settings;
using Particles::Vertex;

// The generator's published rule, to tell how many draws a call made.
uint32_t Advance(uint32_t state, int draws)
{
    for (int i = 0; i < draws; ++i)
        state = state * 214013u + 2531011u;
    return state;
}

Settings Fountain()
{
    Settings s = {};
    s.spawn_pos = D3DXVECTOR3(1.0f, 2.0f, 10.0f);
    s.spawn_radius = 0.5f;
    s.velocity = D3DXVECTOR3(0.0f, 3.0f, 0.0f);
    s.gravity = D3DXVECTOR3(0.0f, -2.0f, 0.0f);
    s.spray = 0.25f;
    s.age = 1.0f;
    s.age_rand = 0.0f;
    s.size_start = 0.5f;
    s.size_end = 1.5f;
    s.size_rand = 0.0f;
    s.colour_start = D3DXCOLOR(1.0f, 0.0f, 0.0f, 1.0f);
    s.colour_end = D3DXCOLOR(0.0f, 0.0f, 1.0f, 0.0f);
    s.rejuvenate = false;
    return s;
}

class ParticleSystem : public ::testing::Test
{
protected:
    void SetUp() override { SetRandomState(1); }
};

TEST_F(ParticleSystem, RandomFromStateOneGivesTheGeneratorsKnownSequence)
{
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(Random(), value);

    SetRandomState(1);
    EXPECT_FLOAT_EQ(RandomUnit(), 41.0f / 32767.0f);
    SetRandomState(0xFFFFFFFFu);
    int draw = Random();
    EXPECT_GE(draw, 0);
    EXPECT_LE(draw, 32767);
}

TEST_F(ParticleSystem, RandomVectorTakesLengthThenTwoAngles)
{
    float u1 = 41.0f / 32767.0f, u2 = 18467.0f / 32767.0f, u3 = 6334.0f / 32767.0f;
    float r = 2.0f * u1, a = u2 * 6.2831855f, b = u3 * 6.2831855f;
    D3DXVECTOR3 v = RandomVector(2.0f);
    EXPECT_FLOAT_EQ(v.x, std::cos(a) * r * std::sin(b));
    EXPECT_FLOAT_EQ(v.y, std::sin(a) * r * std::sin(b));
    EXPECT_FLOAT_EQ(v.z, std::cos(b) * r);
    EXPECT_EQ(GetRandomState(), Advance(1, 3));

    for (int i = 0; i < 200; ++i)
    {
        D3DXVECTOR3 w = RandomVector(3.0f);
        EXPECT_LE(std::sqrt(w.x * w.x + w.y * w.y + w.z * w.z), 3.0f + 1e-5f);
    }
    D3DXVECTOR3 zero = RandomVector(0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}

TEST_F(ParticleSystem, EachParticleIsBornWithEightDrawsInPoolOrder)
{
    Settings s = Fountain();
    s.size_rand = 1.0f;
    s.age_rand = 2.0f;
    C_System system;
    ASSERT_TRUE(system.Init(3, s));
    EXPECT_EQ(GetRandomState(), Advance(1, 24));
    EXPECT_EQ(system.GetCount(), 3u);
    EXPECT_EQ(system.GetLiveCount(), 3);

    // The second particle's draws start after the first one's eight.
    SetRandomState(Advance(1, 8));
    D3DXVECTOR3 offset = RandomVector(s.spawn_radius);
    D3DXVECTOR3 spray = RandomVector(s.spray);
    float size = RandomUnit();
    float life = RandomUnit();
    const Particles::Particle& p = system.GetParticles()[1];
    EXPECT_FLOAT_EQ(p.position.x, s.spawn_pos.x + offset.x);
    EXPECT_FLOAT_EQ(p.position.z, s.spawn_pos.z + offset.z);
    EXPECT_FLOAT_EQ(p.velocity.y, s.velocity.y + spray.y);
    EXPECT_FLOAT_EQ(p.sizeBirth, s.size_start + s.size_rand * size);
    EXPECT_EQ(p.sizeDeath, s.size_end);
    EXPECT_FLOAT_EQ(p.life, s.age + s.age_rand * life);
    EXPECT_EQ(p.remaining, p.life);
    EXPECT_TRUE(p.alive);
}

TEST_F(ParticleSystem, WithoutRadiusAndSprayAllStartAtTheEmitterWithTheBaseVelocity)
{
    Settings s = Fountain();
    s.spawn_radius = 0.0f;
    s.spray = 0.0f;
    C_System system;
    system.Init(4, s);
    for (uint32_t i = 0; i < 4; ++i)
    {
        const Particles::Particle& p = system.GetParticles()[i];
        EXPECT_EQ(p.position.x, 1.0f);
        EXPECT_EQ(p.position.y, 2.0f);
        EXPECT_EQ(p.position.z, 10.0f);
        EXPECT_EQ(p.velocity.y, 3.0f);
    }
}

TEST_F(ParticleSystem, UpdateAgesBlendsAndMovesWithTheNewVelocity)
{
    Settings s = Fountain();
    s.spawn_radius = 0.0f;
    s.spray = 0.0f;
    C_System system;
    system.Init(1, s);
    system.Update(0.25f);
    const Particles::Particle& p = system.GetParticles()[0];
    EXPECT_FLOAT_EQ(p.remaining, 0.75f);
    EXPECT_FLOAT_EQ(p.size, 0.75f);
    EXPECT_FLOAT_EQ(p.colour.r, 0.75f);
    EXPECT_FLOAT_EQ(p.colour.b, 0.25f);
    EXPECT_FLOAT_EQ(p.colour.a, 0.75f);
    EXPECT_FLOAT_EQ(p.velocity.y, 3.0f - 2.0f * 0.25f);
    EXPECT_FLOAT_EQ(p.position.y, 2.0f + 2.5f * 0.25f);
}

TEST_F(ParticleSystem, WithoutRejuvenationEveryParticleDiesOnceAndNothingIsWritten)
{
    C_System system;
    system.Init(5, Fountain());
    system.Update(0.5f);
    EXPECT_EQ(system.GetLiveCount(), 5);
    uint32_t state = GetRandomState();
    system.Update(0.5f);
    EXPECT_EQ(system.GetLiveCount(), 0) << "life 1 s ends at remaining exactly 0";
    EXPECT_EQ(GetRandomState(), state) << "the dead are not reborn";
    system.Update(0.5f);
    EXPECT_EQ(system.GetLiveCount(), 0);

    Vertex sentinel[1] = {{9.0f, 9.0f, 9.0f, 0x12345678, 9.0f}};
    system.WriteVertices(sentinel);
    EXPECT_EQ(sentinel[0].colour, 0x12345678u);
}

TEST_F(ParticleSystem, ARebornParticleIsWrittenAtItsNewPlaceWithItsLastSizeAndColour)
{
    Settings s = Fountain();
    s.rejuvenate = true;
    C_System system;
    system.Init(2, s);
    system.Update(0.5f);
    float lastSize = system.GetParticles()[0].size;
    DWORD lastColour = Particles::PackColour(system.GetParticles()[0].colour);

    uint32_t before = GetRandomState();
    system.Update(0.5f);
    EXPECT_EQ(GetRandomState(), Advance(before, 16)) << "both reborn, eight draws each";
    EXPECT_EQ(system.GetLiveCount(), 2);

    std::vector<Vertex> vertices(2);
    system.WriteVertices(vertices.data());
    const Particles::Particle& p = system.GetParticles()[0];
    EXPECT_EQ(vertices[0].x, p.position.x);
    EXPECT_EQ(vertices[0].y, p.position.y);
    EXPECT_EQ(vertices[0].z, p.position.z);
    EXPECT_EQ(vertices[0].size, lastSize);
    EXPECT_EQ(vertices[0].colour, lastColour);
    EXPECT_FLOAT_EQ(p.remaining, 1.0f);
}

TEST(ParticleColour, PacksClampedRoundedBytesAlphaFirst)
{
    EXPECT_EQ(Particles::PackColour(D3DXCOLOR(1.0f, 0.5f, -0.25f, 1.0f)), 0xFFFF8000u);
    EXPECT_EQ(Particles::PackColour(D3DXCOLOR(2.0f, 0.0f, 1.0f / 255.0f, 0.25f)), 0x40FF0001u);
    EXPECT_EQ(Particles::PackColour(D3DXCOLOR(0.1f, 0.2f, 0.3f, 0.0f)), 0x001A334Du);
}

TEST(ParticlePool, KeepsNoMoreVerticesThanTheDynamicBufferHolds)
{
    EXPECT_EQ(Particles::FitVertices(100, 20, 524288), 100u);
    EXPECT_EQ(Particles::FitVertices(26214, 20, 524288), 26214u);
    EXPECT_EQ(Particles::FitVertices(26215, 20, 524288), 26214u);
    EXPECT_EQ(Particles::FitVertices(static_cast<uint32_t>(-1), 20, 524288), 26214u);
    EXPECT_EQ(Particles::FitVertices(10, 0, 524288), 0u);
}

Settings Bubbles()
{
    Settings s = {};
    s.velocity = D3DXVECTOR3(0.0f, 0.75f, 0.0f);
    s.spray = 0.35f;
    s.size_start = s.size_end = s.size_rand = 0.1f;
    s.colour_start = D3DXCOLOR(0.0f, 0.0f, 1.0f, 1.0f);
    s.colour_end = D3DXCOLOR(1.0f, 1.0f, 0.0f, 1.0f);
    s.rejuvenate = true;
    return s;
}

TEST_F(ParticleSystem, BubblesAreBornAnywhereWithSevenDrawsXFromTheSecond)
{
    C_BubbleSystem bubbles;
    bubbles.Init(2, Bubbles());
    EXPECT_EQ(GetRandomState(), Advance(1, 14));

    const Particles::Particle& b = bubbles.GetParticles()[0];
    EXPECT_FLOAT_EQ(b.position.x, 18467.0f / 32767.0f * 2.0f - 1.0f);
    EXPECT_FLOAT_EQ(b.position.y, 41.0f / 32767.0f * 2.0f - 1.0f);
    EXPECT_EQ(b.position.z, 0.0f);
    EXPECT_EQ(b.life, 1.0f);
    for (uint32_t i = 0; i < 2; ++i)
    {
        const Particles::Particle& p = bubbles.GetParticles()[i];
        EXPECT_GE(p.size, 0.1f);
        EXPECT_LE(p.size, 0.2f);
        EXPECT_FLOAT_EQ(p.colour.r, p.colour.g) << "a blend between the two colours";
        EXPECT_FLOAT_EQ(p.colour.r + p.colour.b, 1.0f);
    }
}

TEST_F(ParticleSystem, ABubbleExactlyAtTheTopKeepsRisingAndOnlyAboveItIsReborn)
{
    C_BubbleSystem bubbles;
    bubbles.Init(2, Bubbles());
    Particles::Particle* p = bubbles.GetParticles();
    p[0].position.y = p[0].size + 1.0f;
    float vy = p[0].velocity.y;
    p[1].position.y = std::nextafter(p[1].size + 1.0f, 2.0f);

    uint32_t before = GetRandomState();
    bubbles.Update(0.5f);
    EXPECT_FLOAT_EQ(p[0].position.y, p[0].size + 1.0f + vy * 0.5f);
    EXPECT_EQ(GetRandomState(), Advance(before, 7)) << "only the second bubble is reborn";
    EXPECT_EQ(p[1].position.y, -1.0f - p[1].size);
    EXPECT_GE(p[1].position.x, -1.0f);
    EXPECT_LE(p[1].position.x, 1.0f);
    EXPECT_EQ(bubbles.GetLiveCount(), 2);
}
} // namespace
