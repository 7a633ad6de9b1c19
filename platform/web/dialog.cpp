// The dialog manager in the browser. A dialog is the page's HTML form that
// the build writes from the program's resource script (tools/rc_form.cpp),
// as windres compiles the same template into the Windows executable.
// DialogBoxParamA shows the form, runs the dialog procedure with the controls'
// Win32 behaviour (win32/dialog_control.cpp), and gives the page its thread
// back until the procedure ends the dialog; win32/dialog_api.cpp answers the
// procedure's calls.
#include "web/form_units.h"
#include "win32/dialog_control.h"

#include <windows.h>

#include <emscripten.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using win32::ControlState;

// The page's side (platform/web/quorl.html); `form` is its number for an open form.
EM_JS(int, quorl_form_open, (const char* name), { return Module.quorlPage.formOpen(UTF8ToString(name)); });
EM_JS(int, quorl_form_size, (int form), { return Module.quorlPage.formSize(form); });
EM_JS(void, quorl_form_control, (int form, int index, int* id, int* style, int* className), {
    const control = Module.quorlPage.formControl(form, index);
    HEAP32[id >> 2] = control.id;
    HEAP32[style >> 2] = control.style;
    HEAP32[className >> 2] = control.className;
});
EM_JS(void, quorl_form_insert, (int form, int index, int at, const char* text),
      { Module.quorlPage.formInsert(form, index, at, UTF8ToString(text)); });
EM_JS(void, quorl_form_remove, (int form, int index, int at), { Module.quorlPage.formRemove(form, index, at); });
EM_JS(void, quorl_form_clear, (int form, int index), { Module.quorlPage.formClear(form, index); });
EM_JS(void, quorl_form_select, (int form, int index, int at), { Module.quorlPage.formSelect(form, index, at); });
EM_JS(void, quorl_form_check, (int form, int index, int checked),
      { Module.quorlPage.formCheck(form, index, checked != 0); });
EM_JS(void, quorl_form_click, (int form, int index), { Module.quorlPage.formClick(form, index); });
EM_JS(void, quorl_form_show, (int form), { Module.quorlPage.formShow(form); });
EM_JS(void, quorl_form_end, (int form), { Module.quorlPage.formEnd(form); });
EM_ASYNC_JS(void, quorl_form_wait, (int form), { await Module.quorlPage.formEnded(form); });

// The window classes a form's controls come from, as the page numbers them.
const char* const kClasses[] = {"Button", "Static", "ComboBox"};

struct Dialog;

struct Control final : ControlState, win32::ControlView
{
    Dialog* dialog = nullptr;
    int index = 0; // in the form, which keeps the template's order

    void ItemInserted(int at, const std::string& text) override;
    void ItemRemoved(int at) override;
    void ItemsCleared() override;
    void SelectionChanged() override;
    void CheckChanged() override;
    void Click() override;
};

struct Dialog final : win32::DialogHost
{
    int form = -1;
    std::vector<std::unique_ptr<Control>> controls;

    ControlState* Item(int id, win32::ControlView*& view) override
    {
        for (const auto& control : controls)
        {
            if (control->itemTemplate.id == id)
            {
                view = control.get();
                return control.get();
            }
        }
        return nullptr;
    }
    void End() override { quorl_form_end(form); }
    void BaseUnits(int& x, int& y) const override
    {
        x = web::kBaseX;
        y = web::kBaseY;
    }
};

void Control::ItemInserted(int at, const std::string& text)
{
    quorl_form_insert(dialog->form, index, at, text.c_str());
}

void Control::ItemRemoved(int at)
{
    quorl_form_remove(dialog->form, index, at);
}

void Control::ItemsCleared()
{
    quorl_form_clear(dialog->form, index);
}

void Control::SelectionChanged()
{
    quorl_form_select(dialog->form, index, selection);
}

void Control::CheckChanged()
{
    quorl_form_check(dialog->form, index, check == BST_CHECKED);
}

void Control::Click()
{
    quorl_form_click(dialog->form, index);
}

// The open dialog of a form that the page reports on; null once it has ended.
Dialog* FindForm(int form)
{
    for (win32::DialogHost* host : win32::OpenDialogs())
    {
        Dialog* dialog = static_cast<Dialog*>(host);
        if (dialog->form == form && !dialog->ended)
            return dialog;
    }
    return nullptr;
}

Control* ControlAt(int form, int index)
{
    Dialog* dialog = FindForm(form);
    if (!dialog || index < 0 || index >= static_cast<int>(dialog->controls.size()))
        return nullptr;
    return dialog->controls[static_cast<size_t>(index)].get();
}

// The form's name for a resource: the number of a MAKEINTRESOURCE id, or the name.
std::string ResourceName(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return std::to_string(reinterpret_cast<uintptr_t>(name));
    return name;
}

bool Build(Dialog& dialog)
{
    const int size = quorl_form_size(dialog.form);
    for (int i = 0; i < size; ++i)
    {
        int id = 0, style = 0, className = -1;
        quorl_form_control(dialog.form, i, &id, &style, &className);
        auto control = std::make_unique<Control>();
        control->dialog = &dialog;
        control->index = i;
        control->handle = win32::NewDialogHandle();
        control->itemTemplate.id = id;
        control->itemTemplate.style = static_cast<DWORD>(style);
        if (className < 0 || className >= 3)
            return false;
        control->itemTemplate.className = kClasses[className];
        if (!win32::ControlKindFor(control->itemTemplate, control->kind))
            return false;
        if (control->kind == ControlState::PushButton &&
            (control->itemTemplate.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            dialog.defaultId = id;
        dialog.controls.push_back(std::move(control));
    }
    return true;
}

} // namespace

// What the page reports of the form while the dialog waits.
extern "C"
{

    // A push button pressed, or a check box toggled by the user.
    EMSCRIPTEN_KEEPALIVE void quorl_form_clicked(int form, int index, int checked)
    {
        Control* control = ControlAt(form, index);
        if (!control)
            return;
        if (control->kind == ControlState::CheckBox)
        {
            const DWORD type = control->itemTemplate.style & BS_TYPEMASK;
            // A plain check box only tells its parent; the procedure decides the state.
            if (type == BS_AUTOCHECKBOX)
                control->check = checked ? BST_CHECKED : BST_UNCHECKED;
            else
                control->CheckChanged();
        }
        control->dialog->Command(control->itemTemplate.id, BN_CLICKED, control->handle);
    }

    EMSCRIPTEN_KEEPALIVE void quorl_form_selected(int form, int index, int at)
    {
        Control* control = ControlAt(form, index);
        if (!control)
            return;
        control->selection = at;
        control->dialog->Command(control->itemTemplate.id, CBN_SELCHANGE, control->handle);
    }

    // Typing in a combo box's edit field selects the first entry that begins with the text, if any.
    EMSCRIPTEN_KEEPALIVE void quorl_form_edited(int form, int index, const char* text)
    {
        Control* control = ControlAt(form, index);
        if (!control)
            return;
        control->selection = win32::FindPrefix(*control, text);
        control->dialog->Command(control->itemTemplate.id, CBN_EDITCHANGE, control->handle);
    }

    // Enter presses the focused push button, else the default one; Esc is Cancel.
    EMSCRIPTEN_KEEPALIVE void quorl_form_key(int form, int escape, int focused)
    {
        Dialog* dialog = FindForm(form);
        if (!dialog)
            return;
        Control* control = ControlAt(form, focused);
        if (escape)
            dialog->CommandFor(IDCANCEL);
        else if (control && control->kind == ControlState::PushButton)
            dialog->Command(control->itemTemplate.id, BN_CLICKED, control->handle);
        else
            dialog->CommandFor(dialog->defaultId);
    }

    // The caption's close button.
    EMSCRIPTEN_KEEPALIVE void quorl_form_close(int form)
    {
        Dialog* dialog = FindForm(form);
        if (!dialog)
            return;
        // A procedure that leaves WM_CLOSE to the default handling gets IDCANCEL, as from DefDlgProc.
        if (!dialog->Send(WM_CLOSE, 0, 0) && !dialog->ended)
            dialog->CommandFor(IDCANCEL);
    }

} // extern "C"

INT_PTR WINAPI DialogBoxParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND /*hWndParent*/,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    if (!lpDialogFunc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Dialog dialog;
    dialog.form = quorl_form_open(ResourceName(lpTemplateName).c_str());
    if (dialog.form < 0)
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    dialog.handle = win32::NewDialogHandle();
    dialog.proc = lpDialogFunc;
    if (!Build(dialog))
    {
        quorl_form_end(dialog.form);
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return -1;
    }
    win32::OpenDialog(dialog);
    // The dialog is filled before it is shown; the page gives the first tab stop the focus.
    HWND firstTabStop = nullptr;
    for (const auto& control : dialog.controls)
    {
        const DWORD style = control->itemTemplate.style;
        if (!firstTabStop && (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            firstTabStop = control->handle;
    }
    dialog.Send(WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), dwInitParam);
    if (!dialog.ended)
    {
        quorl_form_show(dialog.form);
        quorl_form_wait(dialog.form);
    }
    win32::CloseDialog(dialog);
    return dialog.result;
}
