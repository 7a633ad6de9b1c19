// The 3D effects against a recording Direct3D: the registers their shaders
// read, the states they set and leave, the geometry they build, and the
// shape grid's lit points.
#include "app/demo.h"
#include "effects/env_model.h"
#include "effects/particles/random.h"
#include "effects/pqtorus.h"
#include "effects/shape_grid.h"
#include "effects/tunnel.h"
#include "resource/render_target.h"
#include "support/d3d9_names.h"
#include "support/effect_test.h"
#include "support/recording_d3d9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{
// The perspective every effect uses: 60 degrees vertically, far plane 100.
struct Perspective
{
    float xScale, yScale, depthScale, depthOffset;
};

Perspective Expected(float aspect, float nearPlane)
{
    const float yScale = 1.0f / std::tan(1.0471976f / 2.0f);
    const float q = 100.0f / (100.0f - nearPlane);
    return {yScale / aspect, yScale, q, -nearPlane * q};
}

class ModelEffects : public EffectTest
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        SetRandomState(1);
        // The screen chosen in the dialog differs from the device's size, so
        // each effect shows which of the two aspects it takes.
        demo->m_Settings.width = 1024;
        demo->m_Settings.height = 512;
        ASSERT_TRUE(demo->m_Renderer.Create(800, 600, 0, false, true));
        AddStandIns({"torus.x"}, {"env_model.vsh", "pqtorus.vsh", "particle.vsh", "tunnel.vsh"},
                    {"env_model.psh", "particle.psh", "tunnel.psh"});
        auto* target = new Resource::C_RenderTarget;
        ASSERT_TRUE(target->Create(64, 32, D3DFMT_A8R8G8B8));
        demo->m_Resources.Add("mirror", target);
        Calls().clear();
    }

    DWORD Cached(D3DRENDERSTATETYPE state) { return demo->m_Renderer.renderStateCache.at(state); }

    // c0..c3 hold the transposed projection alone.
    void ExpectProjection(const Perspective& p)
    {
        EXPECT_FLOAT_EQ(VS(0)[0], p.xScale);
        EXPECT_FLOAT_EQ(VS(1)[1], p.yScale);
        EXPECT_FLOAT_EQ(VS(2)[2], p.depthScale);
        EXPECT_FLOAT_EQ(VS(2)[3], p.depthOffset);
        EXPECT_EQ(VS(3), (Register{0.0f, 0.0f, 1.0f, 0.0f}));
    }
};

// Turned about its axis by the progress, then moved along a path of the seconds (up and down at 0.45 Hz,
// round at 0.29 Hz, in a radius that swings with the height); seen in the screen's 2:1, not the target's 4:3.
TEST_F(ModelEffects, EnvModelTurnsByTheProgressThenFloatsByTheSecondsInTheScreensAspect)
{
    auto& model = Made<C_FXEnvModel>({{"model", "torus.x"},
                                      {"axis", "0 0 3"},
                                      {"rotations", "2"},
                                      {"depth", "4"},
                                      {"colour1", "0xFF0080FF"},
                                      {"colour2", "0x80FF0000"}});
    EXPECT_EQ(model.m_EnvMapIndex, -1) << "no environment named";
    EXPECT_TRUE(model.Render(0.05f, 0.75f, 0.016f));

    const double u = 0.75 * static_cast<double>(6.2831855f);
    const double a = static_cast<float>(u * 0.45f), b = static_cast<float>(u * 0.29f);
    const double radius = static_cast<float>((std::sin(a) + 2.0) * 0.25);
    const float x = std::cos(b) * radius, y = std::cos(a) * radius, z = std::sin(b) * radius + 4.0;
    const float c = std::cos(0.05f * 3.1415927f * 4.0f), s = std::sin(0.05f * 3.1415927f * 4.0f);
    const Perspective p = Expected(2.0f, 1.0f);
    // World and world x projection, transposed: rows of the shader's c4..c7 and c0..c3.
    const Register world[4] = {{c, -s, 0.0f, x}, {s, c, 0.0f, y}, {0.0f, 0.0f, 1.0f, z}, {0.0f, 0.0f, 0.0f, 1.0f}};
    const Register clip[4] = {{p.xScale * c, -p.xScale * s, 0.0f, p.xScale * x},
                              {p.yScale * s, p.yScale * c, 0.0f, p.yScale * y},
                              {0.0f, 0.0f, p.depthScale, p.depthScale * z + p.depthOffset},
                              {0.0f, 0.0f, 1.0f, z}};
    for (UINT i = 0; i < 16; ++i)
        EXPECT_NEAR(VS(4 + i / 4)[i % 4], world[i / 4][i % 4], 1e-5f) << "world c" << 4 + i / 4 << "." << i % 4;
    for (UINT i = 0; i < 16; ++i)
        EXPECT_NEAR(VS(i / 4)[i % 4], clip[i / 4][i % 4], 1e-4f) << "clip c" << i / 4 << "." << i % 4;
    EXPECT_EQ(PS(0), (Register{0.0f, 128.0f / 255.0f, 1.0f, 1.0f}));
    EXPECT_EQ(PS(1), (Register{1.0f, 0.0f, 0.0f, 128.0f / 255.0f}));
}

TEST_F(ModelEffects, EnvModelBindsAndDrawsWithoutTouchingAnyState)
{
    auto& model = Made<C_FXEnvModel>({{"env_map", "mirror"}, {"model", "torus.x"}});
    auto& missing = Made<C_FXEnvModel>({{"model", "nowhere.x"}});
    EXPECT_EQ(model.m_EnvMapIndex, demo->m_Resources.Find("mirror")) << "a script's render target, by name";
    EXPECT_EQ(missing.m_MeshIndex, -1);

    Calls().clear();
    model.Render(0.25f, 1.0f, 0.016f);
    ExpectInOrder({"SetVertexShader shader", "SetPixelShader shader", "SetTexture 0 rt1",
                   "SetVertexShaderConstantF 0 4", "SetVertexShaderConstantF 4 4", "SetPixelShaderConstantF 0 1",
                   "SetPixelShaderConstantF 1 1", "BeginScene", "Draw mesh", "EndScene"});
    EXPECT_FALSE(CalledStartingWith("SetRenderState"));
    EXPECT_FALSE(Called("SetTexture 0 null")) << "the environment stays bound";

    Calls().clear();
    EXPECT_TRUE(missing.Render(0.25f, 1.0f, 0.016f));
    EXPECT_FALSE(Called("Draw mesh"));
    RecordingD3D9::Get().beginSceneFails = true;
    Calls().clear();
    model.Render(0.25f, 1.0f, 0.016f);
    EXPECT_FALSE(Called("Draw mesh"));
    EXPECT_FALSE(Called("EndScene"));
}

TEST_F(ModelEffects, PQTorusBuildsItsPointsOnceFromTheRandomSource)
{
    auto& first = Made<C_FXPQTorus>({});
    EXPECT_TRUE(Called("CreateVertexDeclaration"
                       " 0:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_TEXCOORD:0"
                       " 4:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_TEXCOORD:1"
                       " 8:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_TEXCOORD:2"
                       " 12:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_PSIZE:0"));
    EXPECT_TRUE(Called("CreateVertexBuffer 8000 0 0 D3DPOOL_MANAGED")) << "500 vertices of 16 bytes, managed";
    EXPECT_EQ(C_FXPQTorus::s_Stride, 16u);
    const std::vector<unsigned char> data = RecordingD3D9::Get().unlockedData;
    ASSERT_EQ(data.size(), 8000u);
    const uint32_t after = GetRandomState();

    // Two draws per point, a then b, from the one source.
    SetRandomState(1);
    for (int i = 0; i < 8; ++i)
    {
        float vertex[4];
        std::memcpy(vertex, data.data() + 16 * i, sizeof vertex);
        const float a = static_cast<float>(Random() / 32767.0);
        const float b = static_cast<float>(Random() / 32767.0);
        EXPECT_EQ(vertex[0], static_cast<float>(i * 6.2831855 / 500.0)) << i;
        EXPECT_FLOAT_EQ(vertex[1], a * 0.05f + 0.05f) << i;
        EXPECT_EQ(vertex[2], b) << i;
        EXPECT_EQ(vertex[3], 0.03f) << i;
    }
    for (int i = 16; i < 1000; ++i)
        Random();
    EXPECT_EQ(after, GetRandomState()) << "1,000 draws in all";

    Calls().clear();
    auto& second = Made<C_FXPQTorus>({});
    EXPECT_FALSE(CalledStartingWith("CreateVertex")) << "the second event shares the first's buffer";
    EXPECT_EQ(GetRandomState(), after) << "and draws no new numbers";
    EXPECT_EQ(second.m_VertexShaderIndex, first.m_VertexShaderIndex);
}

TEST_F(ModelEffects, PQTorusHandsItsShaderTheKnotTimeAndColours)
{
    auto& torus = Made<C_FXPQTorus>(
        {{"start_pq", "2 3"}, {"end_pq", "4 7"}, {"colour1", "0xFFFF0000"}, {"colour2", "0x800000FF"}});
    EXPECT_EQ(torus.m_TextureIndex, -1) << "no particle.png beside the test";
    demo->m_Renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    Calls().clear();
    EXPECT_TRUE(torus.Render(0.5f, 0.25f, 0.016f));

    ExpectProjection(Expected(800.0f / 600.0f, 1.0f));
    EXPECT_EQ(VS(4), (Register{800.0f, 600.0f, 0.0f, 0.0f}));
    EXPECT_EQ(VS(8), (Register{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(VS(9), (Register{0.0f, 0.0f, 1.0f, 128.0f / 255.0f}));
    EXPECT_FLOAT_EQ(VS(10)[0], 3.1415927f / 2.0f);
    EXPECT_EQ(VS(11)[0], 3.0f);
    EXPECT_EQ(VS(11)[1], 5.0f);
    EXPECT_EQ(VS(12)[0], 6.5f);

    ExpectInOrder({State(D3DRS_ALPHABLENDENABLE, TRUE), State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                   State(D3DRS_DESTBLEND, D3DBLEND_ONE), State(D3DRS_POINTSPRITEENABLE, TRUE),
                   State(D3DRS_POINTSCALEENABLE, TRUE), State(D3DRS_ZENABLE, FALSE), "SetVertexShader shader",
                   "SetPixelShader shader", "SetVertexShaderConstantF 0 4", "BeginScene", "SetVertexDeclaration decl",
                   "SetStreamSource 0 static vb 0 16", "DrawPrimitive D3DPT_POINTLIST 0 500", "EndScene",
                   State(D3DRS_ALPHABLENDENABLE, FALSE)});
    EXPECT_FALSE(CalledStartingWith("SetVertexShaderConstantF 5")) << "c5..c7 are not set";
    EXPECT_FALSE(CalledStartingWith("SetPixelShaderConstantF"));
    EXPECT_EQ(Cached(D3DRS_POINTSPRITEENABLE), 1u) << "sprites, scaling and no depth test are left on";
    EXPECT_EQ(Cached(D3DRS_POINTSCALEENABLE), 1u);
    EXPECT_EQ(Cached(D3DRS_ZENABLE), 0u);
}

TEST_F(ModelEffects, PQTorusWithoutABufferDrawsNothingAndTheNextInitBuildsAgain)
{
    RecordingD3D9::Get().vertexBufferFails = true;
    auto& torus = Made<C_FXPQTorus>({}, false);
    EXPECT_EQ(GetRandomState(), 1u) << "no numbers drawn for a buffer that does not exist";
    Calls().clear();
    torus.Render(0.0f, 0.0f, 0.016f);
    EXPECT_FALSE(CalledStartingWith("DrawPrimitive"));
    EXPECT_TRUE(Called(State(D3DRS_ALPHABLENDENABLE, FALSE)));

    RecordingD3D9::Get().vertexBufferFails = false;
    Made<C_FXPQTorus>({});
    EXPECT_NE(GetRandomState(), 1u);
    effects.erase(effects.begin());
    EXPECT_NE(C_FXPQTorus::s_VertexBuffer, nullptr) << "the shared buffer lives while any instance does";
    effects.clear();
    EXPECT_EQ(C_FXPQTorus::s_VertexBuffer, nullptr) << "the last one releases it";
    EXPECT_EQ(C_FXPQTorus::s_Declaration, nullptr);
}

// The inside test on points just within and just beyond each solid's surface.
TEST(ShapeGridInside, HoldsOnlyStrictlyWithinEachSolid)
{
    struct Case
    {
        int shape;
        D3DXVECTOR4 point;
        bool inside;
    };
    const Case cases[] = {
        {0, {0.0f, 0.0f, 0.0f, 1.0f}, true},     {0, {0.57f, 0.57f, 0.57f, 1.0f}, true},
        {0, {1.0f, 0.0f, 0.0f, 1.0f}, false},    {0, {0.6f, 0.6f, 0.6f, 1.0f}, false},
        {1, {0.99f, -0.99f, 0.99f, 1.0f}, true}, {1, {0.0f, 0.0f, -1.0f, 1.0f}, false},
        {1, {0.9f, 1.0f, 0.0f, 1.0f}, false},    {2, {0.0f, 0.0f, 0.0f, 1.0f}, false},
        {2, {0.5f, 0.0f, 0.0f, 1.0f}, false},    {2, {0.0f, 0.56f, 0.0f, 1.0f}, true},
        {2, {1.29f, 0.0f, 0.49f, 1.0f}, true},   {2, {1.3f, 0.0f, 0.0f, 1.0f}, false},
        {2, {0.9f, 0.0f, -0.5f, 1.0f}, false},   {3, {0.0f, 0.0f, 0.0f, 1.0f}, false},
        {-1, {0.0f, 0.0f, 0.0f, 1.0f}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShapeGridInside(c.shape, c.point), c.inside)
            << "shape " << c.shape << " at " << c.point.x << ", " << c.point.y << ", " << c.point.z;
}

TEST_F(ModelEffects, ShapeGridLightsThePointsInsideTheFirstShapeThatHoldsThem)
{
    std::vector<Particles::Vertex> points(32);
    C_FXShapeGrid grid;
    for (const auto& attribute : std::initializer_list<std::pair<const char*, const char*>>{{"colour1", "0xFFFF0000"},
                                                                                            {"colour2", "0x8000FF00"},
                                                                                            {"grid_x", "2"},
                                                                                            {"grid_y", "1"},
                                                                                            {"grid_z", "1"},
                                                                                            {"step_size", "1"},
                                                                                            {"point_size", "0.25"}})
        grid.SetVariable(attribute.first, attribute.second);
    // Shrunk tenfold, both solids hold the whole grid.
    D3DXMatrixIdentity(&grid.m_Shape1Matrix);
    grid.m_Shape1Matrix._11 = grid.m_Shape1Matrix._22 = grid.m_Shape1Matrix._33 = 0.1f;
    grid.m_Shape2Matrix = grid.m_Shape1Matrix;

    struct Case
    {
        int shape1, shape2;
        UINT lit;
        DWORD colour;
    };
    const Case cases[] = {{0, 1, 2, 0xFFFF0000u}, {3, 1, 2, 0x8000FF00u}, {-1, 2, 0, 0}, {3, -1, 0, 0}};
    for (const Case& c : cases)
    {
        grid.m_Shape1.value = c.shape1;
        grid.m_Shape2.value = c.shape2;
        ASSERT_EQ(grid.GeneratePoints(points.data(), 16), c.lit) << c.shape1 << ", " << c.shape2;
        for (UINT i = 0; i < c.lit; ++i)
        {
            EXPECT_EQ(points[i].x, i == 0 ? -1.0f : 0.0f) << "grid_x 2, step 1";
            EXPECT_EQ(points[i].y, -0.5f);
            EXPECT_EQ(points[i].z, 4.5f) << "pushed 5 units forward";
            EXPECT_EQ(points[i].colour, c.colour);
            EXPECT_EQ(points[i].size, 0.25f);
        }
    }
    // 25 columns at step 0.16: the float steps reach 1.9999994, short of 2, and light a 26th.
    grid.m_Shape1.value = 0;
    grid.m_GridX.value = 25;
    grid.m_StepSize.value = 0.16f;
    ASSERT_EQ(grid.GeneratePoints(points.data(), 32), 26u);
    EXPECT_EQ(points[25].x, 1.9999994f);
    EXPECT_EQ(grid.GeneratePoints(points.data(), 25), 25u) << "never more than the room given";

    // At 0.5 s a grid point is moved along each solid's path, then turned about its axis.
    grid.PlaceShapes(0.5f);
    const float k1 = (std::sin(0.75f) + 2.0f) * 0.75f, k2 = (std::sin(0.5f) + 2.0f) * 0.75f;
    const D3DXVECTOR3 g(0.3f, -0.2f, 0.7f);
    const D3DXVECTOR3 moved[2] = {{0.3f + std::cos(1.25f) * k1, -0.2f + std::cos(0.75f) * k1, 0.7f},
                                  {0.3f + std::cos(0.75f) * k2, -0.2f + std::cos(0.5f) * k2, 0.7f}};
    const float n1 = std::sqrt(21.0f), n2 = std::sqrt(41.0f);
    const D3DXVECTOR3 axes[2] = {{1 / n1, 4 / n1, 2 / n1}, {2 / n2, 1 / n2, 6 / n2}};
    const float angles[2] = {1.35f, -1.6f};
    const D3DXMATRIX* placed[2] = {&grid.m_Shape1Matrix, &grid.m_Shape2Matrix};
    for (int i = 0; i < 2; ++i)
    {
        D3DXMATRIX turn;
        D3DXVECTOR4 expected, got;
        D3DXVec3Transform(&expected, &moved[i], D3DXMatrixRotationAxis(&turn, &axes[i], angles[i]));
        D3DXVec3Transform(&got, &g, placed[i]);
        EXPECT_LT(std::hypot(got.x - expected.x, got.y - expected.y, got.z - expected.z), 1e-5f) << "shape " << i + 1;
    }
}

TEST_F(ModelEffects, ShapeGridStreamsItsPointsAndLeavesSpritesOn)
{
    auto& grid = Made<C_FXShapeGrid>({{"colour1", "0xFFFFFFFF"},
                                      {"grid_x", "4"},
                                      {"grid_y", "4"},
                                      {"grid_z", "4"},
                                      {"step_size", "0.5"},
                                      {"point_size", "0.1"}});
    EXPECT_TRUE(Called("CreateVertexDeclaration"
                       " 0:D3DDECLTYPE_FLOAT3:D3DDECLUSAGE_POSITION:0"
                       " 12:D3DDECLTYPE_D3DCOLOR:D3DDECLUSAGE_COLOR:0"
                       " 16:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_PSIZE:0"));
    Calls().clear();
    EXPECT_TRUE(grid.Render(0.0f, 0.0f, 0.016f));

    // At 0 s the sphere sits at (-1.5, -1.5, 0) in grid space: of the points at
    // -1, -0.5, 0 and 0.5 only (-1, -1, z) lies inside, for z from -0.5 to 0.5.
    ExpectInOrder({"Lock vb 0 1280 D3DLOCK_DISCARD", "Unlock vb", State(D3DRS_ALPHABLENDENABLE, TRUE),
                   State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), State(D3DRS_DESTBLEND, D3DBLEND_ONE),
                   State(D3DRS_POINTSPRITEENABLE, TRUE), State(D3DRS_POINTSCALEENABLE, TRUE),
                   State(D3DRS_ZENABLE, FALSE), "SetVertexShader shader", "SetPixelShader shader",
                   "SetVertexShaderConstantF 0 4", "SetVertexShaderConstantF 4 1", "BeginScene",
                   "SetVertexDeclaration decl", "SetStreamSource 0 vb 0 20", "DrawPrimitive D3DPT_POINTLIST 0 3",
                   "EndScene", State(D3DRS_ALPHABLENDENABLE, FALSE)});
    ExpectProjection(Expected(800.0f / 600.0f, 1.0f));
    EXPECT_EQ(VS(4), (Register{800.0f, 600.0f, 0.0f, 0.0f}));
    EXPECT_EQ(Cached(D3DRS_POINTSPRITEENABLE), 1u);
    EXPECT_EQ(Cached(D3DRS_ZENABLE), 0u);
    Particles::Vertex first;
    std::memcpy(&first, RecordingD3D9::Get().unlockedData.data(), sizeof first);
    EXPECT_EQ(first.x, -1.0f);
    EXPECT_EQ(first.y, -1.0f);
    EXPECT_EQ(first.z, 4.5f);
}

// Grids the dynamic buffer cannot hold, and grids with no points at all.
TEST_F(ModelEffects, ShapeGridsBeyondTheBufferOrWithoutPointsDrawNothing)
{
    struct Case
    {
        const char *x, *y, *z, *step;
        const char* lock; // the expected lock call, or "" for none
    };
    const Case cases[] = {
        {"30", "30", "30", "0.1", "Lock vb 0 540000 D3DLOCK_DISCARD"},         // refused: past the buffer's end
        {"-2", "-2", "3", "0.1", "Lock vb 0 240 D3DLOCK_DISCARD"},             // a negative count walks no row
        {"0", "2147483647", "2147483647", "1", "Lock vb 0 0 D3DLOCK_DISCARD"}, // no column: no row is walked
        {"3", "3", "3", "3e38", "Lock vb 0 540 D3DLOCK_DISCARD"},              // infinite extents: steps add nothing
        {"-3", "3", "3", "0.1", ""},                                           // a negative size is never locked
        {"0", "3", "3", "0.1", "Lock vb 0 0 D3DLOCK_DISCARD"},
        {"3", "3", "3", "0", "Lock vb 0 540 D3DLOCK_DISCARD"},
        {"3", "3", "3", "-0.5", "Lock vb 0 540 D3DLOCK_DISCARD"},
        {"1073741824", "1", "1", "0.1", ""},                   // 20 x 2^30 bytes would wrap to 0 in 32 bits
        {"2147483647", "2147483647", "2147483647", "0.1", ""}, // beyond 64 bits
        {"-2147483648", "-2147483648", "-2147483648", "0.1", ""},
    };
    for (const Case& c : cases)
    {
        auto& grid = Made<C_FXShapeGrid>({{"colour1", "0xFFFFFFFF"},
                                          {"shape1", "1"},
                                          {"grid_x", c.x},
                                          {"grid_y", c.y},
                                          {"grid_z", c.z},
                                          {"step_size", c.step}});
        // A solid that holds everything, so any point the generator made would show.
        grid.m_Shape1.value = 1;
        Calls().clear();
        EXPECT_TRUE(grid.Render(0.0f, 0.0f, 0.016f));
        const std::string where = std::string(c.x) + " x " + c.y + " x " + c.z + " step " + c.step;
        EXPECT_EQ(CalledStartingWith("Lock"), *c.lock != '\0') << where;
        if (*c.lock)
        {
            EXPECT_TRUE(Called(c.lock)) << where;
        }
        EXPECT_TRUE(Called("DrawPrimitive D3DPT_POINTLIST 0 0")) << where;
        EXPECT_TRUE(Called(State(D3DRS_ALPHABLENDENABLE, FALSE))) << where;
    }
}

TEST_F(ModelEffects, TunnelBuildsOneSharedTubeWithASeamOfItsOwn)
{
    Made<C_FXTunnel>({{"texture", "tunnel.png"}});
    ExpectInOrder({"CreateVertexDeclaration"
                   " 0:D3DDECLTYPE_FLOAT3:D3DDECLUSAGE_POSITION:0"
                   " 12:D3DDECLTYPE_FLOAT2:D3DDECLUSAGE_TEXCOORD:0",
                   "CreateVertexBuffer 66660 0 0 D3DPOOL_MANAGED", "Lock static vb 0 66660 0", "Unlock static vb",
                   "CreateIndexBuffer 38400 0 D3DFMT_INDEX16 D3DPOOL_MANAGED", "Lock static ib 0 38400 0",
                   "Unlock static ib"});
    const std::vector<unsigned char>& vertices = RecordingD3D9::Get().unlockedData;
    const std::vector<unsigned char>& indices = RecordingD3D9::Get().unlockedIndexData;
    ASSERT_EQ(vertices.size(), 66660u);
    ASSERT_EQ(indices.size(), 38400u);
    auto vertex = [&](int n)
    {
        std::array<float, 5> v;
        std::memcpy(v.data(), vertices.data() + 20 * n, 20);
        return v;
    };
    for (int ring : {0, 1, 100})
    {
        const auto start = vertex(ring * 33), seam = vertex(ring * 33 + 32);
        EXPECT_EQ(start[0], 1.0f);
        EXPECT_EQ(start[1], 0.0f);
        EXPECT_NEAR(seam[0], start[0], 1e-6f) << "ring " << ring << " closes on its first vertex";
        EXPECT_NEAR(seam[1], start[1], 1e-6f);
        EXPECT_EQ(seam[2], static_cast<float>(ring));
        EXPECT_EQ(start[3], 0.0f);
        EXPECT_EQ(seam[3], 1.0f);
        EXPECT_EQ(seam[4], ring * 0.5f);
    }
    EXPECT_NEAR(vertex(8)[1], 1.0f, 1e-6f) << "a quarter turn round the ring";
    std::vector<WORD> list(19200);
    std::memcpy(list.data(), indices.data(), indices.size());
    EXPECT_EQ((std::vector<WORD>(list.begin(), list.begin() + 6)), (std::vector<WORD>{0, 33, 34, 0, 34, 1}));
    EXPECT_EQ(*std::max_element(list.begin(), list.end()), 3332);
    EXPECT_EQ(list[19199], 99 * 33 + 31 + 1);

    Calls().clear();
    auto& second = Made<C_FXTunnel>({});
    EXPECT_FALSE(CalledStartingWith("Create")) << "the second tunnel shares the tube";
    // A reloaded preview builds its new show before the old one goes.
    effects.erase(effects.begin());
    second.Render(0.5f, 1.0f, 0.016f);
    EXPECT_TRUE(Called("DrawIndexedPrimitive D3DPT_TRIANGLELIST 0 0 3333 0 6400")) << "the tube outlives the first";
}

TEST_F(ModelEffects, TunnelHandsItsShaderTheTimeAndRestoresWhatItBlended)
{
    auto& plain = Made<C_FXTunnel>({{"speed", "0.5"}, {"texture", "mirror"}});
    auto& blended = Made<C_FXTunnel>({{"speed", "-2"}, {"blend", "true"}});
    Calls().clear();
    plain.Render(0.5f, 3.0f, 0.016f);
    EXPECT_EQ(VS(4)[0], 1.5f) << "speed x seconds";
    ExpectProjection(Expected(800.0f / 600.0f, 0.1f));
    ExpectInOrder({State(D3DRS_CULLMODE, D3DCULL_NONE), "SetVertexShader shader", "SetPixelShader shader",
                   "SetTexture 0 rt1", "SetVertexShaderConstantF 0 4", "SetVertexShaderConstantF 4 1", "BeginScene",
                   "SetVertexDeclaration decl", "SetStreamSource 0 static vb 0 20", "SetIndices static ib",
                   "DrawIndexedPrimitive D3DPT_TRIANGLELIST 0 0 3333 0 6400", "EndScene", "SetTexture 0 null"});
    for (D3DRENDERSTATETYPE untouched : {D3DRS_ALPHABLENDENABLE, D3DRS_ZENABLE})
        EXPECT_FALSE(CalledStartingWith("SetRenderState " + d3d9names::RenderStateName(untouched) + " "))
            << "without blend, blending and the depth test are left as they were";

    demo->m_Renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    Calls().clear();
    RecordingD3D9::Get().beginSceneFails = true;
    blended.Render(0.5f, 3.0f, 0.016f);
    EXPECT_EQ(VS(4)[0], -6.0f);
    EXPECT_FALSE(CalledStartingWith("DrawIndexedPrimitive"));
    ExpectInOrder({State(D3DRS_ALPHABLENDENABLE, TRUE), State(D3DRS_DESTBLEND, D3DBLEND_ONE), "BeginScene",
                   State(D3DRS_ALPHABLENDENABLE, FALSE), State(D3DRS_ZENABLE, TRUE)});
    EXPECT_EQ(Cached(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(Cached(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE)) << "culling stays off";
}

TEST_F(ModelEffects, TunnelWhoseTubeCannotBeBuiltDrawsNothing)
{
    RecordingD3D9::Get().indexBufferFails = true;
    auto& tunnel = Made<C_FXTunnel>({}, false);
    Calls().clear();
    EXPECT_TRUE(tunnel.Render(0.0f, 1.0f, 0.016f));
    EXPECT_FALSE(CalledStartingWith("DrawIndexedPrimitive"));

    RecordingD3D9::Get().indexBufferFails = false;
    Calls().clear();
    EXPECT_TRUE(tunnel.Init()) << "a later Init finishes the tube";
    EXPECT_FALSE(CalledStartingWith("CreateVertexBuffer"));
    EXPECT_TRUE(Called("CreateIndexBuffer 38400 0 D3DFMT_INDEX16 D3DPOOL_MANAGED"));
}
} // namespace
