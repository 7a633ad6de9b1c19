// The dialog manager's API that the dialog procedure calls, the same for
// every toolkit that shows the dialogs.
#include "win32/dialog_control.h"

#include <algorithm>

namespace win32
{
namespace
{

std::vector<DialogHost*> g_Dialogs;
uintptr_t g_NextHandle = 0x20018;

DialogHost* FindDialog(HWND hDlg)
{
    const auto it =
        std::find_if(g_Dialogs.begin(), g_Dialogs.end(), [hDlg](DialogHost* d) { return d->handle == hDlg; });
    return it == g_Dialogs.end() ? nullptr : *it;
}

// The control of an id in a dialog, with the last error set when there is none.
ControlState* FindItem(HWND hDlg, int id, ControlView*& view)
{
    DialogHost* dialog = FindDialog(hDlg);
    ControlState* item = dialog ? dialog->Item(id, view) : nullptr;
    if (!item)
        SetLastError(dialog ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
    return item;
}

} // namespace

void DialogHost::Command(int id, WORD code, HWND control)
{
    Send(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void DialogHost::CommandFor(int id)
{
    ControlView* view = nullptr;
    const ControlState* item = Item(id, view);
    Command(id, BN_CLICKED, item ? item->handle : nullptr);
}

void OpenDialog(DialogHost& dialog)
{
    g_Dialogs.push_back(&dialog);
}

void CloseDialog(DialogHost& dialog)
{
    g_Dialogs.erase(std::find(g_Dialogs.begin(), g_Dialogs.end(), &dialog));
}

const std::vector<DialogHost*>& OpenDialogs()
{
    return g_Dialogs;
}

HWND NewDialogHandle()
{
    const HWND handle = reinterpret_cast<HWND>(g_NextHandle);
    g_NextHandle += 0x10;
    return handle;
}

} // namespace win32

using win32::ControlState;
using win32::ControlView;
using win32::DialogHost;

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult)
{
    DialogHost* dialog = win32::FindDialog(hDlg);
    if (!dialog)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The dialog closes when its procedure returns, as on Windows.
    dialog->ended = true;
    dialog->result = nResult;
    dialog->End();
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    ControlView* view = nullptr;
    const ControlState* item = win32::FindItem(hDlg, nIDDlgItem, view);
    return item ? item->handle : nullptr;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    ControlView* view = nullptr;
    ControlState* item = win32::FindItem(hDlg, nIDDlgItem, view);
    return item ? win32::ControlMessage(*item, *view, Msg, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck)
{
    ControlView* view = nullptr;
    if (!win32::FindItem(hDlg, nIDButton, view))
        return FALSE;
    SendDlgItemMessageA(hDlg, nIDButton, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton)
{
    return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect)
{
    DialogHost* dialog = win32::FindDialog(hDlg);
    if (!dialog || !lpRect)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    int baseX = 0, baseY = 0;
    dialog->BaseUnits(baseX, baseY);
    lpRect->left = win32::MulDiv(lpRect->left, baseX, 4);
    lpRect->right = win32::MulDiv(lpRect->right, baseX, 4);
    lpRect->top = win32::MulDiv(lpRect->top, baseY, 8);
    lpRect->bottom = win32::MulDiv(lpRect->bottom, baseY, 8);
    return TRUE;
}
