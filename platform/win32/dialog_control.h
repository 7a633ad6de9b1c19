// A dialog control as Win32 sees it, whatever toolkit shows it: its template
// entry, its kind and contents, and the messages it answers as Windows'
// controls do. The toolkit's widget follows the state through ControlView:
// GTK's on Linux (dialog_controls.cpp), the page's form in the browser.
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

// Dialog units to pixels, rounded as Windows' MulDiv rounds.
int MulDiv(int value, int numerator, int denominator);

// The first item that begins with text (ignoring case), or CB_ERR: what an
// edit field's text selects.
int FindPrefix(const ControlState& state, const char* text);

} // namespace win32
