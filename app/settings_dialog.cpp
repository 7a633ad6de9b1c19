#include "app/settings_dialog.h"

#include "app/resource.h"
#include "app/settings.h"

namespace
{
// Set by the first WM_INITDIALOG of the process and never cleared.
C_Settings* g_Record = NULL;

struct Resolution
{
    const char* text;
    int width;
    int height;
};

const Resolution kResolutions[] = {
    {"640x480", 640, 480},
    {"800x600", 800, 600},
    {"1024x768", 1024, 768},
    {"1280x1024", 1280, 1024},
};

struct AntiAliasing
{
    const char* text;
    int samples;
};

const AntiAliasing kAntiAliasing[] = {
    {"Off", 0},
    {"2x", 2},
    {"4x", 4},
    {"6x", 6},
};

const int kResolutionCount = sizeof(kResolutions) / sizeof(kResolutions[0]);
const int kAntiAliasingCount = sizeof(kAntiAliasing) / sizeof(kAntiAliasing[0]);

void Append(HWND dialog, int combo, const char* text)
{
    // CB_INSERTSTRING at -1 appends without sorting, so the lists keep their order despite CBS_SORT.
    SendDlgItemMessageA(dialog, combo, CB_INSERTSTRING, (WPARAM)-1, (LPARAM)text);
}

void Fill(HWND dialog)
{
    for (int i = 0; i < kResolutionCount; ++i)
        Append(dialog, IDC_RESOLUTION, kResolutions[i].text);
    SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_SETCURSEL, 2, 0);

    for (int i = 0; i < kAntiAliasingCount; ++i)
        Append(dialog, IDC_ANTIALIASING, kAntiAliasing[i].text);
    SendDlgItemMessageA(dialog, IDC_ANTIALIASING, CB_SETCURSEL, 3, 0);

    CheckDlgButton(dialog, IDC_FULLSCREEN, BST_CHECKED);
    CheckDlgButton(dialog, IDC_MUSIC, BST_CHECKED);
}

void Read(HWND dialog, C_Settings& record)
{
    // No selection (or text typed into the anti-aliasing box that names no entry) keeps the old value.
    LRESULT resolution = SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
    if (resolution >= 0 && resolution < kResolutionCount)
    {
        record.width = kResolutions[resolution].width;
        record.height = kResolutions[resolution].height;
    }

    LRESULT antiAliasing = SendDlgItemMessageA(dialog, IDC_ANTIALIASING, CB_GETCURSEL, 0, 0);
    if (antiAliasing >= 0 && antiAliasing < kAntiAliasingCount)
        record.antiAliasing = kAntiAliasing[antiAliasing].samples;

    record.music = IsDlgButtonChecked(dialog, IDC_MUSIC) == BST_CHECKED;
    record.windowed = !(IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED);
    record.vsync = IsDlgButtonChecked(dialog, IDC_VSYNC) == BST_CHECKED;
}
} // namespace

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        if (g_Record != NULL)
        {
            EndDialog(dialog, IDCANCEL);
            return FALSE;
        }
        g_Record = (C_Settings*)lParam;
        // The dialog always opens with the same choices, whatever the record holds.
        Fill(dialog);
        return FALSE;

    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            Read(dialog, *g_Record);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;

    case WM_CLOSE: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}
