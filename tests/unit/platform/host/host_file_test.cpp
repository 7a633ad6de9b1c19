// The one place where the layer's loaders find and read files.
#include "host/host_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <unistd.h>

#include "support/temp_dir.h"

namespace
{
struct ReadCase
{
    const char* name;
    const char* path;
    bool reads;
    std::string contents;
};

class HostFileRead : public ::testing::TestWithParam<ReadCase>
{
protected:
    HostFileRead()
    {
        m_Folder.Write("data/sub/a.bin", std::string("ab\0c", 4));
        m_Folder.Write("data/empty.bin", "");
    }

    TempDir m_Folder;
    ScopedCurrentDir m_Current{m_Folder.Path()};
};

TEST_P(HostFileRead, GivesTheWholeFileOrNothing)
{
    const ReadCase& c = GetParam();
    std::string text = "unchanged";
    std::vector<unsigned char> bytes{1};
    EXPECT_EQ(host::ReadHostFile(c.path, text), c.reads);
    EXPECT_EQ(host::ReadHostFile(c.path, bytes), c.reads);
    if (c.reads)
    {
        EXPECT_EQ(text, c.contents);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.contents);
    }
    else
    {
        EXPECT_EQ(text, "unchanged") << "a failed read leaves the output alone";
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, HostFileRead,
                         ::testing::Values(ReadCase{"Backslashes", "data\\sub\\a.bin", true, std::string("ab\0c", 4)},
                                           ReadCase{"Slashes", "data/sub/a.bin", true, std::string("ab\0c", 4)},
                                           ReadCase{"Empty", "data\\empty.bin", true, ""},
                                           ReadCase{"Folder", "data\\sub", false, ""},
                                           ReadCase{"Missing", "data\\none.bin", false, ""},
                                           ReadCase{"MissingFolder", "none\\a.bin", false, ""},
                                           ReadCase{"NoName", "", false, ""}),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(HostFile, FolderIsNotAFileAndSaysSo)
{
    TempDir folder;
    folder.Write("data/a.bin", "x");
    ScopedCurrentDir current(folder.Path());
    errno = 0;
    EXPECT_EQ(host::OpenHostFile("data"), -1);
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_EQ(host::OpenHostFile("data\\b.bin"), -1);
    EXPECT_EQ(errno, ENOENT);
    const int fd = host::OpenHostFile("data\\a.bin");
    ASSERT_GE(fd, 0);
    close(fd);
}
} // namespace
