// A dialog control as Win32 sees it, whatever toolkit shows it: its template
// entry, its kind and contents, and the messages it answers as Windows'
// controls do. The toolkit's widget follows the state through ControlView:
// GTK's on Linux (dialog_controls.cpp), the page's form in the browser. And
// the open dialogs that the dialog manager's API reaches.
#pragma once

#include "win32/dialog_template.h"

#include <windows.h>

#include <string>
#include <vector>

namespace win32
{

struct ControlState
{
    enum Kind
    {
        PushButton,
        CheckBox,
        Label,
        ComboList,
        ComboEdit
    };

    DialogControl itemTemplate; // the control's entry in the dialog template
    Kind kind = Label;
    HWND handle = nullptr;
    std::vector<std::string> items;
    int selection = CB_ERR;
    UINT check = BST_UNCHECKED;
};

// Shows a control's state; each call follows a change the state already has.
class ControlView
{
public:
    virtual void ItemInserted(int index, const std::string& text) = 0;
    virtual void ItemRemoved(int index) = 0;
    virtual void ItemsCleared() = 0;
    // The selection changed; CB_ERR also empties an edit field.
    virtual void SelectionChanged() = 0;
    virtual void CheckChanged() = 0;
    // BM_CLICK: the widget is pressed as by the user.
    virtual void Click() = 0;

protected:
    ~ControlView() = default;
};

// The kind of control a template entry makes; false for a class or style
// that the dialog manager does not provide.
bool ControlKindFor(const DialogControl& itemTemplate, ControlState::Kind& kind);

// Answers a message sent to the control, updating the view.
LRESULT ControlMessage(ControlState& state, ControlView& view, UINT msg, WPARAM wParam, LPARAM lParam);

// An open modal dialog as the dialog manager's API sees it, whatever shows it.
// Each toolkit's DialogBoxParamA makes one, runs it between OpenDialog and
// CloseDialog, and the API calls (EndDialog, GetDlgItem, SendDlgItemMessageA,
// CheckDlgButton, IsDlgButtonChecked, MapDialogRect in dialog_api.cpp) find it.
class DialogHost
{
public:
    HWND handle = nullptr;
    DLGPROC proc = nullptr;
    int defaultId = IDOK;
    bool ended = false;
    INT_PTR result = 0;

    // The control of that id with the view that shows it; null when there is none.
    virtual ControlState* Item(int id, ControlView*& view) = 0;
    // EndDialog was called: the dialog is hidden and its run stops waiting.
    virtual void End() = 0;
    // The dialog's base units in pixels.
    virtual void BaseUnits(int& x, int& y) const = 0;

    INT_PTR Send(UINT msg, WPARAM wParam, LPARAM lParam) { return proc(handle, msg, wParam, lParam); }
    void Command(int id, WORD code, HWND control);
    // WM_COMMAND as a click of the control with that id, which may not exist (IDCANCEL).
    void CommandFor(int id);

protected:
    ~DialogHost() = default;
};

void OpenDialog(DialogHost& dialog);
void CloseDialog(DialogHost& dialog);
// The open dialogs, innermost last.
const std::vector<DialogHost*>& OpenDialogs();
// A handle for a new dialog or control: eight past a multiple of 16, never a window's.
HWND NewDialogHandle();

// Dialog units to pixels, rounded as Windows' MulDiv rounds.
int MulDiv(int value, int numerator, int denominator);

// The first item that begins with text (ignoring case), or CB_ERR: what an
// edit field's text selects.
int FindPrefix(const ControlState& state, const char* text);

} // namespace win32
