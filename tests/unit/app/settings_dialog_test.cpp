// The dialog procedure against a fake dialog manager. Its record pointer lives
// for the whole process, so the first test is the process's first dialog.
#include "app/settings_dialog.h"

#include "app/settings.h"
#include "support/fake_dialog.h"

#include <gtest/gtest.h>

namespace
{
HWND const kDialog = reinterpret_cast<HWND>(0x1234);

// The record that the process's first dialog was given.
C_Settings g_Record;
bool g_Initialised = false;

void InitialiseOnce()
{
    if (g_Initialised)
        return;
    SettingsDlgProc(kDialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&g_Record));
    g_Initialised = true;
}

class SettingsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitialiseOnce();
        FakeDialog::Get().Reset();
        g_Record = C_Settings();
    }

    static INT_PTR Command(int id, WORD code = BN_CLICKED)
    {
        return SettingsDlgProc(kDialog, WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    static void Choose(LRESULT resolution, LRESULT antiAliasing, bool music, bool fullScreen, bool vsync)
    {
        FakeDialog& fake = FakeDialog::Get();
        fake.selection[2002] = resolution;
        fake.selection[1006] = antiAliasing;
        fake.checks[1002] = music ? BST_CHECKED : BST_UNCHECKED;
        fake.checks[1005] = fullScreen ? BST_CHECKED : BST_UNCHECKED;
        fake.checks[1007] = vsync ? BST_CHECKED : BST_UNCHECKED;
    }
};

TEST(SettingsDialogFirst, FirstInitialisationFillsFixedChoicesAndLaterOnesCancel)
{
    ASSERT_FALSE(g_Initialised) << "must be the process's first dialog";
    FakeDialog::Get().Reset();
    g_Record.width = 320;
    g_Record.windowed = true;
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&g_Record)), FALSE);
    g_Initialised = true;

    const std::vector<std::string> fill = {
        "CB_INSERTSTRING 2002 -1 640x480",
        "CB_INSERTSTRING 2002 -1 800x600",
        "CB_INSERTSTRING 2002 -1 1024x768",
        "CB_INSERTSTRING 2002 -1 1280x1024",
        "CB_SETCURSEL 2002 2",
        "CB_INSERTSTRING 1006 -1 Off",
        "CB_INSERTSTRING 1006 -1 2x",
        "CB_INSERTSTRING 1006 -1 4x",
        "CB_INSERTSTRING 1006 -1 6x",
        "CB_SETCURSEL 1006 3",
        "CheckDlgButton 1005 1",
        "CheckDlgButton 1002 1",
    };
    EXPECT_EQ(FakeDialog::Get().calls, fill);
    EXPECT_FALSE(FakeDialog::Get().ended);
    // The dialog shows the fixed choices, not what the record held, and does not write it yet.
    EXPECT_EQ(g_Record.width, 320);
    EXPECT_TRUE(g_Record.windowed);

    FakeDialog::Get().Reset();
    C_Settings second;
    second.width = 640;
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&second)), FALSE);
    EXPECT_EQ(FakeDialog::Get().calls, std::vector<std::string>{"EndDialog 2"});

    // OK still fills the first record; the second is never touched.
    FakeDialog::Get().Reset();
    FakeDialog::Get().selection[2002] = 0;
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_COMMAND, IDOK, 0), TRUE);
    EXPECT_EQ(g_Record.width, 640);
    EXPECT_EQ(second.width, 640);
    EXPECT_EQ(second.height, 768);
}

TEST_F(SettingsDialog, OkReadsTheControlsInOrderAndEndsWithOne)
{
    Choose(1, 2, false, false, true);
    EXPECT_EQ(Command(IDOK), TRUE);
    const std::vector<std::string> reads = {
        "CB_GETCURSEL 2002",       "CB_GETCURSEL 1006",       "IsDlgButtonChecked 1002",
        "IsDlgButtonChecked 1005", "IsDlgButtonChecked 1007", "EndDialog 1",
    };
    EXPECT_EQ(FakeDialog::Get().calls, reads);
    EXPECT_EQ(g_Record.width, 800);
    EXPECT_EQ(g_Record.height, 600);
    EXPECT_EQ(g_Record.antiAliasing, 4);
    EXPECT_FALSE(g_Record.music);
    EXPECT_TRUE(g_Record.windowed);
    EXPECT_TRUE(g_Record.vsync);
}

TEST_F(SettingsDialog, EachListIndexSetsItsValuesAndNoSelectionKeepsTheOldOnes)
{
    const int widths[] = {640, 800, 1024, 1280};
    const int heights[] = {480, 600, 768, 1024};
    const int samples[] = {0, 2, 4, 6};
    for (int i = 0; i < 4; ++i)
    {
        Choose(i, i, true, true, false);
        Command(IDOK);
        EXPECT_EQ(g_Record.width, widths[i]);
        EXPECT_EQ(g_Record.height, heights[i]);
        EXPECT_EQ(g_Record.antiAliasing, samples[i]);
        EXPECT_TRUE(g_Record.music);
        EXPECT_FALSE(g_Record.windowed);
        EXPECT_FALSE(g_Record.vsync);
    }

    // Text typed into the anti-aliasing box that names no entry, and out-of-range answers.
    g_Record.width = 1;
    g_Record.height = 2;
    g_Record.antiAliasing = 3;
    for (LRESULT none : {LRESULT(CB_ERR), LRESULT(4), LRESULT(-7)})
    {
        Choose(none, none, true, true, false);
        Command(IDOK);
        EXPECT_EQ(g_Record.width, 1);
        EXPECT_EQ(g_Record.height, 2);
        EXPECT_EQ(g_Record.antiAliasing, 3);
    }
}

TEST_F(SettingsDialog, CancelAndCloseEndWithTwoAndLeaveTheRecord)
{
    Choose(0, 0, false, false, true);
    EXPECT_EQ(Command(IDCANCEL), TRUE);
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_CLOSE, 0, 0), TRUE);
    EXPECT_EQ(FakeDialog::Get().calls, (std::vector<std::string>{"EndDialog 2", "EndDialog 2"}));
    EXPECT_EQ(g_Record.width, 1024);
    EXPECT_TRUE(g_Record.music);
    EXPECT_FALSE(g_Record.vsync);
}

TEST_F(SettingsDialog, OtherCommandsAndMessagesAreLeftToTheDialogManager)
{
    EXPECT_EQ(Command(1002), FALSE);
    EXPECT_EQ(Command(1006, CBN_EDITCHANGE), FALSE);
    EXPECT_EQ(Command(2002, CBN_SELCHANGE), FALSE);
    EXPECT_EQ(Command(3), FALSE);
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_KEYDOWN, VK_RETURN, 0), FALSE);
    EXPECT_EQ(SettingsDlgProc(kDialog, WM_DESTROY, 0, 0), FALSE);
    EXPECT_TRUE(FakeDialog::Get().calls.empty());
    // The id is the command's low word: OK with a notification code still counts as OK.
    Choose(0, 0, true, true, false);
    EXPECT_EQ(Command(IDOK, 1), TRUE);
    EXPECT_EQ(FakeDialog::Get().result, IDOK);
}
} // namespace
