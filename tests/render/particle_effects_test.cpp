// The particle effects on the real device with the shipped shaders and
// sprites: two fountains sharing the dynamic buffer in one frame, and both
// drawing again after the device is lost and reset.
#include "app/demo.h"
#include "d3d9/test_hooks.h"
#include "effects/particles.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace
{
const int kWidth = 64;
const int kHeight = 48;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

class ParticleEffectsOnDevice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered)
        {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "QuorlParticleEffectsTest";
            ASSERT_NE(RegisterClassA(&windowClass), 0);
            registered = true;
        }
        demo->m_Window = CreateWindowExA(0, "QuorlParticleEffectsTest", "particles", WS_POPUP, 0, 0, kWidth, kHeight,
                                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(demo->m_Window, nullptr);
        ASSERT_TRUE(demo->m_Renderer.Create(kWidth, kHeight, 0, false, true));
    }

    void TearDown() override
    {
        effects.clear();
        DestroyWindow(demo->m_Window);
        demo.reset();
        EXPECT_EQ(D3D9Test_LiveObjects(), 0) << "every device object is released";
    }

    // A still cloud of one colour, its sprites on top of each other.
    C_FXParticles& Fountain(const char* position, const char* colour)
    {
        effects.emplace_back(new C_FXParticles);
        C_FXParticles& fountain = *effects.back();
        for (const auto& [name, value] :
             std::initializer_list<std::pair<const char*, const char*>>{{"count", "20"},
                                                                        {"spawn_pos", position},
                                                                        {"age", "10"},
                                                                        {"size_start", "1"},
                                                                        {"size_end", "1"},
                                                                        {"colour_start", colour},
                                                                        {"colour_end", colour},
                                                                        {"rejuvinate", "true"},
                                                                        {"texture", "particle.png"}})
            fountain.SetVariable(name, value);
        ScopedCurrentDir cwd(QUORL_SOURCE_DIR);
        EXPECT_TRUE(fountain.Init());
        return fountain;
    }

    std::vector<uint32_t> Frame()
    {
        demo->m_Renderer.device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        for (const auto& effect : effects)
            EXPECT_TRUE(effect->Render(0.5f, 1.0f, 0.016f));
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(D3D9Test_ReadBackBuffer(demo->m_Renderer.device, pixels));
        return pixels;
    }

    static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[y * kWidth + x]; }
    static int Red(uint32_t argb) { return (argb >> 16) & 0xFF; }
    static int Green(uint32_t argb) { return (argb >> 8) & 0xFF; }

    // Each cloud shows in its own place and colour: x = +-2 at depth 5 lands
    // about 15 pixels either side of the centre.
    void ExpectBothClouds(const std::vector<uint32_t>& pixels)
    {
        uint32_t left = At(pixels, 16, kHeight / 2);
        uint32_t right = At(pixels, 47, kHeight / 2);
        EXPECT_GT(Red(left), 200);
        EXPECT_LT(Green(left), 40);
        EXPECT_GT(Green(right), 200);
        EXPECT_LT(Red(right), 40);
        EXPECT_EQ(At(pixels, 32, kHeight / 2) & 0xFFFFFF, 0u) << "nothing between them";
        EXPECT_EQ(At(pixels, 2, 2) & 0xFFFFFF, 0u);
    }

    std::optional<C_Demo> demo{std::in_place};
    std::vector<std::unique_ptr<C_FXParticles>> effects;
};

TEST_F(ParticleEffectsOnDevice, TwoFountainsInOneFrameEachDrawTheirOwnSprites)
{
    Fountain("-2 0 5", "0xFFFF0000");
    Fountain("2 0 5", "0xFF00FF00");
    ExpectBothClouds(Frame());
}

TEST_F(ParticleEffectsOnDevice, DrawAgainAfterTheDeviceIsLostAndReset)
{
    Fountain("-2 0 5", "0xFFFF0000");
    Fountain("2 0 5", "0xFF00FF00");
    Frame();

    C_Renderer& renderer = demo->m_Renderer;
    D3D9Test_ForceDeviceLost(renderer.device);
    EXPECT_FALSE(renderer.CheckDevice());
    D3D9Test_EndDeviceLoss(renderer.device);
    EXPECT_FALSE(renderer.CheckDevice()) << "this pass resets";
    ASSERT_NE(renderer.dynamicVertexBuffer, nullptr);
    ASSERT_NE(renderer.dynamicIndexBuffer, nullptr);
    ASSERT_TRUE(renderer.CheckDevice());
    ExpectBothClouds(Frame());
}
} // namespace
