// A thousand device losses and resets while a script with render targets and
// every effect type plays on the real device: no device object may be left
// over or missing afterwards, and the targets must draw the same pictures as
// before the first loss.
#include "app/demo.h"
#include "d3d9/test_hooks.h"
#include "resource/render_target.h"
#include "support/temp_dir.h"
#include "timeline/script_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace
{
const int kWidth = 96;
const int kHeight = 72;
const uint32_t kStill = 5000; // the time at which the pictures are compared
// Targets whose pictures depend on the time alone.
const char* const kCompared[] = {"a", "b", "c", "d", "e", "f"};

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

int Cycles()
{
    const char* text = std::getenv("QUORL_SOAK_CYCLES");
    return text ? std::atoi(text) : 1000;
}

class DeviceLossSoak : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuorlDeviceLossSoak";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        demo->m_Window = CreateWindowExA(0, "QuorlDeviceLossSoak", "soak", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                                         nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(demo->m_Window, nullptr);
        ASSERT_TRUE(demo->m_Renderer.Create(kWidth, kHeight, 0, false, true));
        demo->m_Factory.RegisterAll();
        ScopedCurrentDir cwd(QUORL_SOURCE_DIR);
        ASSERT_TRUE(LoadScript(*demo, "tests\\render\\device_loss_soak.xml"));
    }

    void TearDown() override
    {
        DestroyWindow(demo->m_Window);
        demo.reset();
        UnregisterClassA("QuorlDeviceLossSoak", GetModuleHandleA(nullptr));
        EXPECT_EQ(D3D9Test_LiveObjects(), 0) << "every device object is released";
    }

    void Frame(uint32_t time)
    {
        demo->RenderFrame(time, time - demo->m_PreviousTime);
        demo->m_PreviousTime = time;
        demo->m_Renderer.device->Present(NULL, NULL, NULL, NULL);
    }

    std::map<std::string, std::vector<uint32_t>> Pictures()
    {
        std::map<std::string, std::vector<uint32_t>> pictures;
        for (const char* name : kCompared)
        {
            const int index = demo->m_Resources.FindRenderTarget(name);
            EXPECT_GE(index, 0) << name;
            if (index < 0)
                continue;
            auto* record = static_cast<RenderTargetSurfaces*>(demo->m_Resources.At(index)->GetObject());
            EXPECT_TRUE(D3D9Test_ReadPixels(record->surface, pictures[name])) << name;
        }
        return pictures;
    }

    // One loss and reset as the main loop meets it; with wait, the device
    // stays lost for a pass first.
    void LoseAndReset(bool wait)
    {
        C_Renderer& renderer = demo->m_Renderer;
        D3D9Test_ForceDeviceLost(renderer.device);
        if (wait)
        {
            ASSERT_FALSE(renderer.CheckDevice()) << "lost";
        }
        D3D9Test_EndDeviceLoss(renderer.device);
        ASSERT_FALSE(renderer.CheckDevice()) << "this pass resets";
        ASSERT_TRUE(renderer.CheckDevice()) << "usable again";
        ASSERT_FALSE(demo->m_QuitRequested);
    }

    std::optional<C_Demo> demo{std::in_place};
};

TEST_F(DeviceLossSoak, AThousandResetsLeaveTheObjectsAndPicturesAsTheyWere)
{
    Frame(kStill);
    const int liveBefore = D3D9Test_LiveObjects();
    const auto before = Pictures();
    for (const auto& [name, pixels] : before)
    {
        bool drawn = false;
        for (uint32_t pixel : pixels)
            drawn = drawn || (pixel & 0xFFFFFF) != 0;
        EXPECT_TRUE(drawn) << "target " << name << " shows something";
    }

    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        // Every hundredth loss lasts a pass, which sleeps as Windows' loop does.
        LoseAndReset(cycle % 100 == 0);
        if (HasFatalFailure())
            FAIL() << "cycle " << cycle;
        Frame(100 + uint32_t(cycle) * 9 % 9800);
    }

    Frame(kStill);
    EXPECT_EQ(D3D9Test_LiveObjects(), liveBefore) << "after " << cycles << " resets";
    const auto after = Pictures();
    for (const auto& [name, pixels] : before)
    {
        ASSERT_EQ(after.at(name).size(), pixels.size()) << name;
        int differing = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            differing += pixels[i] != after.at(name)[i];
        EXPECT_EQ(differing, 0) << "pixels of target " << name << " that changed";
    }
    RecordProperty("cycles", cycles);
    RecordProperty("live_objects", liveBefore);
}

// Sizes beyond what the adapter can hold fail, as on Windows, before they
// reach the driver (llvmpipe aborts on the largest).
TEST_F(DeviceLossSoak, RenderTargetsLargerThanTheDeviceAllowsAreRefused)
{
    const int liveBefore = D3D9Test_LiveObjects();
    for (int size : {100000, 2147483647})
    {
        Resource::C_RenderTarget wide, tall;
        EXPECT_FALSE(wide.Create(size, 16, D3DFMT_A8R8G8B8)) << size;
        EXPECT_FALSE(tall.Create(16, size, D3DFMT_A8R8G8B8)) << size;
    }
    IDirect3DSurface9* depth = nullptr;
    EXPECT_EQ(demo->m_Renderer.device->CreateDepthStencilSurface(2147483647, 2147483647, D3DFMT_D24S8,
                                                                 D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3D9Test_LiveObjects(), liveBefore);
}
} // namespace
