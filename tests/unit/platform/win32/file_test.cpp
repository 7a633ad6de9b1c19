// Reading files through the Win32 file calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "support/temp_dir.h"

namespace
{

constexpr const char* kContent = "<demo start=\"0\"/>\n";

// A scratch folder made the working directory, holding data/demo.xml.
class Win32FileTest : public ::testing::Test
{
protected:
    Win32FileTest() { m_Folder.Write("data/demo.xml", kContent); }

    TempDir m_Folder;
    ScopedCurrentDir m_Current{m_Folder.Path()};
};

TEST_F(Win32FileTest, ReadsRelativeBackslashPath)
{
    const HANDLE file = CreateFileA("data\\demo.xml", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 0xDEAD;
    const DWORD size = GetFileSize(file, &high);
    EXPECT_EQ(size, std::string(kContent).size());
    EXPECT_EQ(high, 0u);

    char buffer[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, 5, &read, nullptr));
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(std::string(buffer, read), "<demo");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, size - 5) << "a read past the end returns what is left";
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);

    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
}

TEST_F(Win32FileTest, MissingFilesAndUnsupportedOpens)
{
    const auto open = [](const char* path, DWORD access, DWORD disposition)
    { return CreateFileA(path, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr); };
    EXPECT_EQ(open("data\\missing.xml", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(open("nowhere\\demo.xml", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(open("data", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(open("data\\new.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_NE(access("data/new.txt", F_OK), 0) << "nothing is created";
}

} // namespace
