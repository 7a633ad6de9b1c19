#include "preview/watcher.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace
{
int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Write(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class PreviewWatcher : public testing::Test
{
protected:
    void SetUp() override
    {
        root = dir.Path();
        std::filesystem::create_directories(root / "data" / "shaders");
        Write(root / "data" / "demo.xml", "<demo/>");
        Write(root / "data" / "shaders" / "a.psh", "float4 MainPS() : COLOR0 { return 0; }");
        std::string error;
        ASSERT_TRUE(watcher.Start({(root / "data" / "demo.xml").string()}, {(root / "data").string()}, error)) << error;
    }

    // How many reloads the watcher asks for within the time given.
    int Reloads(int64_t forMs)
    {
        int count = 0;
        int64_t until = NowMs() + forMs;
        while (NowMs() < until)
        {
            count += watcher.Poll(NowMs(), 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return count;
    }

    TempDir dir;
    std::filesystem::path root;
    Preview::FileWatcher watcher;
};

TEST_F(PreviewWatcher, APlainWriteReloadsOnce)
{
    Write(root / "data" / "shaders" / "a.psh", "float4 MainPS() : COLOR0 { return 1; }");
    EXPECT_EQ(Reloads(400), 1);
}

TEST_F(PreviewWatcher, ASaveByRenameReloads)
{
    Write(root / "data" / ".demo.xml.swp", "<demo start_time=\"0\"/>");
    std::filesystem::rename(root / "data" / ".demo.xml.swp", root / "data" / "demo.xml");
    EXPECT_EQ(Reloads(400), 1);
}

TEST_F(PreviewWatcher, ABurstOfWritesGivesOneReload)
{
    for (int i = 0; i < 10; ++i)
    {
        Write(root / "data" / "shaders" / "a.psh", "// edit " + std::to_string(i));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        watcher.Poll(NowMs(), 100);
    }
    EXPECT_EQ(Reloads(400), 1);
}

TEST_F(PreviewWatcher, AnUnchangedRewriteGivesNone)
{
    Write(root / "data" / "shaders" / "a.psh", "float4 MainPS() : COLOR0 { return 0; }");
    Write(root / "data" / "demo.xml", "<demo/>");
    EXPECT_EQ(Reloads(400), 0);
}

TEST_F(PreviewWatcher, AFileInANewFolderCounts)
{
    std::filesystem::create_directories(root / "data" / "textures");
    EXPECT_EQ(Reloads(250), 0) << "an empty folder changes no content";
    Write(root / "data" / "textures" / "new.png", "png");
    EXPECT_EQ(Reloads(400), 1);
}
} // namespace
