// The dialog manager: templates read from resource scripts, and GTK dialogs
// that answer and send the messages Windows' dialogs do. Run under Xvfb.
#include "win32/dialog.h"
#include "win32/dialog_template.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace
{

// --- templates

TEST(DialogTemplate, TheSettingsTemplateIsLinkedIntoTheProgram)
{
    win32::DialogTemplate dialog;
    ASSERT_TRUE(win32::FindDialogTemplate(MAKEINTRESOURCEA(101), dialog));
    EXPECT_EQ(dialog.id, 101);
    EXPECT_EQ(dialog.style,
              0x80C808C8u); // DS_SETFONT|DS_FIXEDSYS|DS_MODALFRAME|DS_CENTER|WS_POPUP|WS_CAPTION|WS_SYSMENU
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.cx, 208);
    EXPECT_EQ(dialog.cy, 86);
    EXPECT_EQ(dialog.caption, "Settings");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.typeface, "MS Shell Dlg");
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_FALSE(dialog.italic);
    EXPECT_EQ(dialog.charset, 1);

    struct Expected
    {
        int id;
        const char* cls;
        const char* text;
        DWORD style;
        int x, y, cx, cy;
    };
    const DWORD base = WS_CHILD | WS_VISIBLE;
    const Expected controls[] = {
        {1, "Button", "OK", base | BS_DEFPUSHBUTTON | WS_TABSTOP, 42, 66, 50, 14},
        {2, "Button", "Cancel", base | BS_PUSHBUTTON | WS_TABSTOP, 120, 66, 50, 14},
        {1002, "Button", "Music", base | BS_AUTOCHECKBOX | WS_TABSTOP, 150, 48, 30, 12},
        {2002, "ComboBox", "", base | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 12, 24, 84, 60},
        {1003, "Static", "Screen Resolution:", base | SS_LEFT | WS_GROUP, 12, 12, 96, 8},
        {1005, "Button", "Full Screen", base | BS_AUTOCHECKBOX | WS_TABSTOP, 18, 48, 48, 12},
        {-1, "Static", "Anti-Aliasing:", base | SS_LEFT | WS_GROUP, 114, 12, 84, 8},
        {1006, "ComboBox", "", base | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 114, 24, 84, 60},
        {1007, "Button", "VSync", base | BS_AUTOCHECKBOX | WS_TABSTOP, 84, 48, 36, 12},
    };
    ASSERT_EQ(dialog.controls.size(), std::size(controls));
    for (size_t i = 0; i < std::size(controls); ++i)
    {
        SCOPED_TRACE(controls[i].text);
        const win32::DialogControl& c = dialog.controls[i];
        EXPECT_EQ(c.id, controls[i].id);
        EXPECT_EQ(c.className, controls[i].cls);
        EXPECT_EQ(c.text, controls[i].text);
        EXPECT_EQ(c.style, controls[i].style);
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.x, controls[i].x);
        EXPECT_EQ(c.y, controls[i].y);
        EXPECT_EQ(c.cx, controls[i].cx);
        EXPECT_EQ(c.cy, controls[i].cy);
    }
    win32::DialogTemplate byText;
    EXPECT_TRUE(win32::FindDialogTemplate("#101", byText));
    EXPECT_FALSE(win32::FindDialogTemplate(MAKEINTRESOURCEA(102), byText));
}

TEST(DialogTemplate, ReadsTheScriptSyntaxAndSkipsOtherResources)
{
    const char* script = R"(#include <windows.h>
#pragma once
#define IDD_ASK 7
#define IDC_NAME (IDD_ASK + 1)
#define FRAME WS_POPUP | WS_CAPTION
/* a block
   comment */
LANGUAGE 9, 1
1 ICON "app.ico"
STRINGTABLE
BEGIN
    1, "one { two"
END
1 VERSIONINFO
FILEVERSION 1, 0, 0, 0
{
    BLOCK "StringFileInfo" { VALUE "x", "y" }
}
IDD_ASK DIALOGEX MOVEABLE PURE 10, 20, 100, 50, 0
STYLE FRAME | 0x0040L | NOT WS_CAPTION
EXSTYLE 0x8
CAPTION "Say ""hi"" \\ there"
FONT 9, "Sans", 700, 1, 0
{
    CONTROL "&Name", IDC_NAME, BUTTON, 0x3, 1, 2, 3, 4, 0x20, 99  // trailing comment
}
ASK DIALOGEX 0, 0, 1, 1
BEGIN
END
)";
    std::vector<win32::DialogTemplate> dialogs;
    std::string error;
    ASSERT_TRUE(win32::ParseResourceScript(script, dialogs, &error)) << error;
    ASSERT_EQ(dialogs.size(), 2u);
    const win32::DialogTemplate& ask = dialogs[0];
    EXPECT_EQ(ask.id, 7);
    EXPECT_EQ(ask.x, 10);
    EXPECT_EQ(ask.cy, 50);
    // A caption brings WS_CAPTION back and a font DS_SETFONT, as the resource compiler does.
    EXPECT_EQ(ask.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_SETFONT));
    EXPECT_EQ(ask.exStyle, 8u);
    EXPECT_EQ(ask.caption, "Say \"hi\" \\ there");
    EXPECT_EQ(ask.typeface, "Sans");
    EXPECT_EQ(ask.weight, 700);
    EXPECT_TRUE(ask.italic);
    ASSERT_EQ(ask.controls.size(), 1u);
    EXPECT_EQ(ask.controls[0].id, 8);
    EXPECT_EQ(ask.controls[0].text, "&Name");
    EXPECT_EQ(ask.controls[0].className, "BUTTON");
    EXPECT_EQ(ask.controls[0].style, static_cast<DWORD>(0x3 | WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(ask.controls[0].exStyle, 0x20u);
    EXPECT_EQ(dialogs[1].name, "ASK");
    EXPECT_EQ(dialogs[1].style, static_cast<DWORD>(WS_POPUP | WS_BORDER | WS_SYSMENU));
}

TEST(DialogTemplate, ErrorsNameTheirLine)
{
    const struct
    {
        const char* script;
        const char* error;
    } cases[] = {
        {"1 DIALOGEX 0, 0, 1, 1\nSTYLE WS_POPUP | WS_NOSUCH\nBEGIN\nEND\n", "line 2: unknown name WS_NOSUCH"},
        {"#ifdef X\n#endif\n", "line 1: #ifdef is not understood"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  PUSHBUTTON \"OK\", 1, 0, 0, 1, 1\nEND\n", "line 3: only CONTROL"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n", "dialog without END"},
        {"1 DIALOGEX 0, 0, 1\n", "expected ','"},
        {"1 DIALOGEX 0, 0, 1, 1\nCAPTION \"open\n", "line 2: unterminated string"},
        {"#define A A\n1 DIALOGEX 0, 0, A, 1\nBEGIN\nEND\n", "line 2: A is defined in terms of itself"},
    };
    for (const auto& c : cases)
    {
        std::vector<win32::DialogTemplate> dialogs;
        std::string error;
        EXPECT_FALSE(win32::ParseResourceScript(c.script, dialogs, &error)) << c.script;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_TRUE(dialogs.empty());
    }
}

// --- dialogs

struct Logged
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Logged> g_Log;
std::function<INT_PTR(HWND)> g_OnInit;
std::vector<std::function<void(HWND)>> g_Steps;
size_t g_NextStep = 0;
INT_PTR g_CloseAnswer = TRUE;
HWND g_Dialog = nullptr;

INT_PTR CALLBACK TestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_Log.push_back({message, wParam, lParam});
    if (message == WM_INITDIALOG)
    {
        g_Dialog = dialog;
        return g_OnInit ? g_OnInit(dialog) : FALSE;
    }
    if (message == WM_CLOSE)
        return g_CloseAnswer;
    return FALSE;
}

bool g_Stepping = false;

// Runs the steps one by one once the dialog is on screen.
gboolean RunStep(gpointer)
{
    GtkWidget* window = Win32GetDialogWidget(g_Dialog);
    if (!window || !gtk_widget_get_mapped(window))
        return G_SOURCE_CONTINUE;
    if (g_NextStep < g_Steps.size())
        g_Steps[g_NextStep++](g_Dialog);
    g_Stepping = g_NextStep < g_Steps.size();
    return g_Stepping ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

// What the window manager's close button makes GTK deliver.
void Close(HWND dialog)
{
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(Win32GetDialogWidget(dialog))));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

GtkWidget* Widget(HWND dialog, int id)
{
    return Win32GetDialogWidget(GetDlgItem(dialog, id));
}

void Key(HWND dialog, guint keyval, guint state = 0)
{
    GtkWidget* window = Win32GetDialogWidget(dialog);
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = keyval;
    event->key.state = state;
    event->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(window, event);
    gdk_event_free(event);
}

bool HasFocus(HWND dialog, int id)
{
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(Win32GetDialogWidget(dialog)));
    GtkWidget* control = Widget(dialog, id);
    return focus && (focus == control || gtk_widget_is_ancestor(focus, control));
}

std::vector<Logged> Commands()
{
    std::vector<Logged> commands;
    for (const Logged& m : g_Log)
    {
        if (m.message == WM_COMMAND || m.message == WM_CLOSE)
            commands.push_back(m);
    }
    return commands;
}

LRESULT Combo(HWND dialog, int id, UINT message, WPARAM wParam = 0, const char* text = nullptr)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, reinterpret_cast<LPARAM>(text));
}

class Dialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        g_Log.clear();
        g_OnInit = nullptr;
        g_Steps.clear();
        g_NextStep = 0;
        g_CloseAnswer = TRUE;
        g_Dialog = nullptr;
    }

    INT_PTR Run(LPARAM param = 0)
    {
        g_Stepping = true;
        const guint source = g_timeout_add(5, RunStep, nullptr);
        const INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), nullptr, TestProc, param);
        if (g_Stepping)
            g_source_remove(source);
        return result;
    }
};

TEST_F(Dialogs, InitialisationComesFirstWithTheParameterAndCanEndTheDialogUnseen)
{
    g_OnInit = [](HWND dialog)
    {
        EXPECT_FALSE(gtk_widget_get_visible(Win32GetDialogWidget(dialog)));
        EXPECT_TRUE(EndDialog(dialog, 5));
        return TRUE;
    };
    g_Steps = {[](HWND) { ADD_FAILURE() << "the dialog was shown"; }};
    EXPECT_EQ(Run(0x5eed), 5);
    ASSERT_EQ(g_Log.size(), 1u);
    EXPECT_EQ(g_Log[0].message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(g_Log[0].lParam, 0x5eed);
    // wParam names the first tab stop, the OK button.
    EXPECT_NE(g_Log[0].wParam, 0u);
    EXPECT_EQ(Win32GetDialogWidget(g_Dialog), nullptr);
    EXPECT_FALSE(EndDialog(g_Dialog, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Dialogs, ControlsSitWhereTheFontsDialogUnitsPutThem)
{
    g_Steps = {[](HWND dialog)
               {
                   GtkWidget* window = Win32GetDialogWidget(dialog);
                   EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "Settings");
                   EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window)));
                   RECT client = {0, 0, 208, 86};
                   ASSERT_TRUE(MapDialogRect(dialog, &client));
                   // An 8-point sans font at 96 dpi: base units near Windows' 6 x 13.
                   EXPECT_GE(client.right, 208 * 5 / 4);
                   EXPECT_LE(client.right, 208 * 8 / 4);
                   EXPECT_GE(client.bottom, 86 * 11 / 8);
                   EXPECT_LE(client.bottom, 86 * 16 / 8);
                   EXPECT_EQ(gtk_widget_get_allocated_width(window), client.right);
                   EXPECT_EQ(gtk_widget_get_allocated_height(window), client.bottom);
                   const struct
                   {
                       int id;
                       RECT rect;
                   } controls[] = {{1, {42, 66, 92, 80}},    {2, {120, 66, 170, 80}},   {1002, {150, 48, 180, 60}},
                                   {1005, {18, 48, 66, 60}}, {1007, {84, 48, 120, 60}}, {1003, {12, 12, 108, 20}}};
                   for (const auto& c : controls)
                   {
                       RECT rect = c.rect;
                       MapDialogRect(dialog, &rect);
                       GtkAllocation at;
                       gtk_widget_get_allocation(Widget(dialog, c.id), &at);
                       EXPECT_NEAR(at.x, rect.left, 1) << c.id;
                       EXPECT_NEAR(at.y, rect.top, 1) << c.id;
                       EXPECT_NEAR(at.width, rect.right - rect.left, 1) << c.id;
                       EXPECT_NEAR(at.height, rect.bottom - rect.top, 1) << c.id;
                   }
                   // Combo boxes are one line high when closed; the template's height is the open list's.
                   for (int id : {2002, 1006})
                   {
                       RECT rect = {id == 2002 ? 12 : 114, 24, id == 2002 ? 96 : 198, 84};
                       MapDialogRect(dialog, &rect);
                       GtkAllocation at;
                       gtk_widget_get_allocation(Widget(dialog, id), &at);
                       EXPECT_NEAR(at.x, rect.left, 1) << id;
                       EXPECT_NEAR(at.width, rect.right - rect.left, 1) << id;
                       EXPECT_LT(at.height, (rect.bottom - rect.top) / 2) << id;
                   }
                   EndDialog(dialog, 42);
               }};
    EXPECT_EQ(Run(), 42);
}

TEST_F(Dialogs, ComboBoxesAndCheckBoxesAnswerTheirMessages)
{
    g_OnInit = [](HWND dialog)
    {
        // Inserting never sorts; adding sorts a CBS_SORT list only.
        EXPECT_EQ(Combo(dialog, 1006, CB_ADDSTRING, 0, "b"), 0);
        EXPECT_EQ(Combo(dialog, 1006, CB_ADDSTRING, 0, "B2"), 1);
        EXPECT_EQ(Combo(dialog, 1006, CB_ADDSTRING, 0, "a"), 0);
        EXPECT_EQ(Combo(dialog, 1006, CB_INSERTSTRING, WPARAM(-1), "0"), 3);
        EXPECT_EQ(Combo(dialog, 1006, CB_INSERTSTRING, 9, "x"), CB_ERR);
        EXPECT_EQ(Combo(dialog, 2002, CB_ADDSTRING, 0, "z"), 0);
        EXPECT_EQ(Combo(dialog, 2002, CB_ADDSTRING, 0, "y"), 1);
        EXPECT_EQ(Combo(dialog, 2002, CB_INSERTSTRING, 0, "w"), 0);
        EXPECT_EQ(Combo(dialog, 1006, CB_GETCOUNT), 4);
        char text[8];
        EXPECT_EQ(SendDlgItemMessageA(dialog, 2002, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 1);
        EXPECT_STREQ(text, "y");

        EXPECT_EQ(Combo(dialog, 2002, CB_GETCURSEL), CB_ERR);
        EXPECT_EQ(Combo(dialog, 2002, CB_SETCURSEL, 1), 1);
        EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(Widget(dialog, 2002))), 1);
        // An insertion above the selection moves it along with its entry.
        Combo(dialog, 2002, CB_INSERTSTRING, 0, "v");
        EXPECT_EQ(Combo(dialog, 2002, CB_GETCURSEL), 2);
        EXPECT_EQ(Combo(dialog, 2002, CB_SETCURSEL, 9), CB_ERR);
        EXPECT_EQ(Combo(dialog, 2002, CB_GETCURSEL), CB_ERR);
        EXPECT_EQ(Combo(dialog, 1006, CB_SETCURSEL, 2), 2);
        GtkWidget* entry = gtk_bin_get_child(GTK_BIN(Widget(dialog, 1006)));
        EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "B2");
        EXPECT_EQ(Combo(dialog, 1006, CB_RESETCONTENT), CB_OKAY);
        EXPECT_EQ(Combo(dialog, 1006, CB_GETCOUNT), 0);
        EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), CB_ERR);
        EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "");

        EXPECT_EQ(IsDlgButtonChecked(dialog, 1007), static_cast<UINT>(BST_UNCHECKED));
        EXPECT_TRUE(CheckDlgButton(dialog, 1007, BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, 1007), static_cast<UINT>(BST_CHECKED));
        EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Widget(dialog, 1007))));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDOK), static_cast<UINT>(BST_UNCHECKED));

        EXPECT_EQ(GetDlgItem(dialog, 4711), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
        EXPECT_EQ(Combo(dialog, 4711, CB_GETCOUNT), 0);
        EXPECT_FALSE(CheckDlgButton(dialog, 4711, BST_CHECKED));
        EXPECT_NE(GetDlgItem(dialog, 1), GetDlgItem(dialog, 2));
        EndDialog(dialog, IDOK);
        return FALSE;
    };
    EXPECT_EQ(Run(), IDOK);
    // Changes made by messages notify nobody.
    EXPECT_TRUE(Commands().empty());
}

TEST_F(Dialogs, UserInputReachesTheProcedureAsWindowsSendsIt)
{
    g_OnInit = [](HWND dialog)
    {
        for (const char* text : {"Off", "2x", "4x", "6x"})
            Combo(dialog, 1006, CB_INSERTSTRING, WPARAM(-1), text);
        for (const char* text : {"640x480", "800x600"})
            Combo(dialog, 2002, CB_INSERTSTRING, WPARAM(-1), text);
        Combo(dialog, 1006, CB_SETCURSEL, 3);
        return FALSE;
    };
    auto expectCommand = [](int id, WORD code)
    {
        const std::vector<Logged> commands = Commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back().message, static_cast<UINT>(WM_COMMAND));
        EXPECT_EQ(commands.back().wParam, MAKEWPARAM(id, code)) << id;
        EXPECT_EQ(commands.back().lParam, reinterpret_cast<LPARAM>(GetDlgItem(g_Dialog, id))) << id;
        g_Log.clear();
    };
    auto type = [](HWND dialog, const char* text)
    { gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(Widget(dialog, 1006)))), text); };
    g_Steps = {
        [&](HWND dialog)
        {
            // An automatic check box ticks itself, then tells the dialog.
            gtk_button_clicked(GTK_BUTTON(Widget(dialog, 1005)));
            EXPECT_EQ(IsDlgButtonChecked(dialog, 1005), static_cast<UINT>(BST_CHECKED));
            expectCommand(1005, BN_CLICKED);
            gtk_button_clicked(GTK_BUTTON(Widget(dialog, 2)));
            expectCommand(IDCANCEL, BN_CLICKED);
        },
        [&](HWND dialog)
        {
            Key(dialog, GDK_KEY_Return);
            expectCommand(IDOK, BN_CLICKED);
            Key(dialog, GDK_KEY_Escape);
            expectCommand(IDCANCEL, BN_CLICKED);
            Key(dialog, GDK_KEY_KP_Enter);
            expectCommand(IDOK, BN_CLICKED);
        },
        [&](HWND dialog)
        {
            gtk_combo_box_set_active(GTK_COMBO_BOX(Widget(dialog, 2002)), 1);
            expectCommand(2002, CBN_SELCHANGE);
            EXPECT_EQ(Combo(dialog, 2002, CB_GETCURSEL), 1);
            // Typed text selects the first entry it begins, in any case, or none.
            type(dialog, "8x");
            expectCommand(1006, CBN_EDITCHANGE);
            EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), CB_ERR);
            type(dialog, "4");
            EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), 2);
            type(dialog, "2X");
            EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), 1);
            type(dialog, "");
            EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), CB_ERR);
            gtk_combo_box_set_active(GTK_COMBO_BOX(Widget(dialog, 1006)), 0);
            EXPECT_EQ(Combo(dialog, 1006, CB_GETCURSEL), 0);
            g_Log.clear();
        },
        [&](HWND dialog)
        {
            // Tab walks the tab stops in template order; Enter presses a focused button.
            gtk_window_set_focus(GTK_WINDOW(Win32GetDialogWidget(dialog)), nullptr);
            Key(dialog, GDK_KEY_Tab);
            EXPECT_TRUE(HasFocus(dialog, IDOK));
            Key(dialog, GDK_KEY_Tab);
            EXPECT_TRUE(HasFocus(dialog, IDCANCEL));
            Key(dialog, GDK_KEY_Return);
            expectCommand(IDCANCEL, BN_CLICKED);
            Key(dialog, GDK_KEY_Tab);
            EXPECT_TRUE(HasFocus(dialog, 1002));
            Key(dialog, GDK_KEY_Tab);
            EXPECT_TRUE(HasFocus(dialog, 2002));
            Key(dialog, GDK_KEY_Tab);
            EXPECT_TRUE(HasFocus(dialog, 1005));
            Key(dialog, GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK);
            EXPECT_TRUE(HasFocus(dialog, 2002));
            Key(dialog, GDK_KEY_Return);
            expectCommand(IDOK, BN_CLICKED);
        },
        [&](HWND dialog)
        {
            Close(dialog);
            const std::vector<Logged> commands = Commands();
            ASSERT_EQ(commands.size(), 1u);
            EXPECT_EQ(commands[0].message, static_cast<UINT>(WM_CLOSE));
            g_Log.clear();
            // Left to the default handling, the close becomes Cancel.
            g_CloseAnswer = FALSE;
            Close(dialog);
            expectCommand(IDCANCEL, BN_CLICKED);
            EndDialog(dialog, 9);
        },
    };
    EXPECT_EQ(Run(), 9);
    EXPECT_EQ(g_NextStep, g_Steps.size());
}

TEST(DialogsWithoutDisplay, FailWithMinusOne)
{
    if (std::getenv("DISPLAY") && *std::getenv("DISPLAY"))
        GTEST_SKIP() << "a display is there";
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), nullptr, TestProc, 0), -1);
    EXPECT_TRUE(g_Log.empty());
}

TEST(DialogsWithoutTemplate, FailWithMinusOneAndSayWhy)
{
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, TestProc, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(DialogBoxParamA(nullptr, "NOSUCH", nullptr, TestProc, 0), -1);
    EXPECT_TRUE(g_Log.empty());
}

} // namespace
