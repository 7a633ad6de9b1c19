// The dialog manager on Linux: modal dialogs built with GTK 3 from the
// program's dialog templates, run on the thread that calls DialogBoxParamA
// (GTK is only ever used from it); dialog_api.cpp answers the procedure's calls.
#include "win32/dialog.h"
#include "win32/dialog_internal.h"

namespace win32
{

ControlState* Dialog::Item(int id, ControlView*& view)
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

void Dialog::End()
{
    gtk_widget_hide(window);
    if (loop)
        g_main_loop_quit(loop);
}

void Dialog::BaseUnits(int& x, int& y) const
{
    x = baseX;
    y = baseY;
}

} // namespace win32

namespace
{

using namespace win32;

Control* FocusedControl(Dialog& dialog)
{
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog.window));
    if (!focus)
        return nullptr;
    for (const auto& control : dialog.controls)
    {
        if (focus == control->widget || gtk_widget_is_ancestor(focus, control->widget))
            return control.get();
    }
    return nullptr;
}

bool CanTabTo(const Control& control)
{
    return (control.itemTemplate.style & WS_TABSTOP) && gtk_widget_get_visible(control.widget) &&
           gtk_widget_is_sensitive(control.widget);
}

// Tab order is template order over the WS_TABSTOP controls, as on Windows.
void MoveFocus(Dialog& dialog, bool forward)
{
    const int count = static_cast<int>(dialog.controls.size());
    Control* current = FocusedControl(dialog);
    int at = forward ? -1 : count;
    for (int i = 0; i < count; ++i)
    {
        if (dialog.controls[i].get() == current)
            at = i;
    }
    for (int step = 1; step <= count; ++step)
    {
        const int i = ((at + (forward ? step : -step)) % count + count) % count;
        if (CanTabTo(*dialog.controls[i]))
        {
            gtk_widget_grab_focus(dialog.controls[i]->widget);
            return;
        }
    }
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data)
{
    Dialog& dialog = *static_cast<Dialog*>(data);
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    switch (event->keyval)
    {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
    {
        // Enter presses the focused push button, else the default one.
        Control* focused = FocusedControl(dialog);
        if (focused && focused->kind == Control::PushButton)
            dialog.Command(focused->itemTemplate.id, BN_CLICKED, focused->handle);
        else
            dialog.CommandFor(dialog.defaultId);
        return TRUE;
    }
    case GDK_KEY_Escape: dialog.CommandFor(IDCANCEL); return TRUE;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
        if (modifiers & ~GDK_SHIFT_MASK)
            return FALSE;
        MoveFocus(dialog, event->keyval != GDK_KEY_ISO_Left_Tab && !(modifiers & GDK_SHIFT_MASK));
        return TRUE;
    default: return FALSE;
    }
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    Dialog& dialog = *static_cast<Dialog*>(data);
    // A procedure that leaves WM_CLOSE to the default handling gets IDCANCEL, as from DefDlgProc.
    if (!dialog.Send(WM_CLOSE, 0, 0) && !dialog.ended)
        dialog.CommandFor(IDCANCEL);
    return TRUE;
}

void RealizeFrame(GtkWidget* window, gpointer data)
{
    const DWORD style = static_cast<Dialog*>(data)->frameStyle;
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    // A modal frame: the window manager offers moving and, with a system menu, closing.
    gdk_window_set_functions(gdkWindow,
                             static_cast<GdkWMFunction>(GDK_FUNC_MOVE | ((style & WS_SYSMENU) ? GDK_FUNC_CLOSE : 0)));
    int decorations = GDK_DECOR_BORDER;
    if ((style & WS_CAPTION) == WS_CAPTION)
        decorations |= GDK_DECOR_TITLE;
    if (style & WS_SYSMENU)
        decorations |= GDK_DECOR_MENU;
    gdk_window_set_decorations(gdkWindow, static_cast<GdkWMDecoration>(decorations));
}

bool Build(Dialog& dialog, const DialogTemplate& tmpl)
{
    dialog.frameStyle = tmpl.style;
    dialog.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(dialog.window);
    ApplyLook(dialog, tmpl);

    GtkWindow* window = GTK_WINDOW(dialog.window);
    gtk_window_set_title(window, tmpl.caption.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(window,
                            (tmpl.style & (DS_CENTER | DS_CENTERMOUSE)) ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
    if (!(tmpl.style & (DS_CENTER | DS_CENTERMOUSE)))
        gtk_window_move(window, MulDiv(tmpl.x, dialog.baseX, 4), MulDiv(tmpl.y, dialog.baseY, 8));
    g_signal_connect(dialog.window, "realize", G_CALLBACK(RealizeFrame), &dialog);
    g_signal_connect(dialog.window, "key-press-event", G_CALLBACK(OnKeyPress), &dialog);
    g_signal_connect(dialog.window, "delete-event", G_CALLBACK(OnDelete), &dialog);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, MulDiv(tmpl.cx, dialog.baseX, 4), MulDiv(tmpl.cy, dialog.baseY, 8));
    gtk_container_add(GTK_CONTAINER(dialog.window), fixed);
    gtk_widget_show(fixed);
    for (const DialogControl& itemTemplate : tmpl.controls)
    {
        if (!CreateControl(dialog, itemTemplate, fixed))
            return false;
    }
    return true;
}

void Destroy(Dialog& dialog)
{
    if (dialog.window)
    {
        gtk_widget_destroy(dialog.window);
        g_object_unref(dialog.window);
    }
    RemoveLook(dialog);
    if (dialog.loop)
        g_main_loop_unref(dialog.loop);
    // Let the window go from the X server before the program opens windows of its own.
    while (g_main_context_iteration(nullptr, FALSE))
    {
    }
    gdk_display_sync(gdk_display_get_default());
}

} // namespace

GtkWidget* Win32GetDialogWidget(HWND hWnd)
{
    // Every open dialog on this host is GTK's.
    for (DialogHost* host : OpenDialogs())
    {
        const Dialog* dialog = static_cast<const Dialog*>(host);
        if (dialog->handle == hWnd)
            return dialog->window;
        for (const auto& control : dialog->controls)
        {
            if (control->handle == hWnd)
                return control->widget;
        }
    }
    return nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND /*hWndParent*/,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    // The program has one module, so every instance handle names its resources.
    win32::DialogTemplate tmpl;
    if (!win32::FindDialogTemplate(lpTemplateName, tmpl))
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (!lpDialogFunc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!EnsureGtk())
    {
        SetLastError(ERROR_GEN_FAILURE);
        return -1;
    }
    Dialog dialog;
    dialog.handle = NewDialogHandle();
    dialog.proc = lpDialogFunc;
    if (!Build(dialog, tmpl))
    {
        Destroy(dialog);
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return -1;
    }
    OpenDialog(dialog);

    HWND firstTabStop = nullptr;
    for (const auto& control : dialog.controls)
    {
        if (!firstTabStop && CanTabTo(*control))
            firstTabStop = control->handle;
    }
    // The dialog is built and filled before it is shown; wParam names the control that would get the focus.
    const INT_PTR focusDefault = dialog.Send(WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), dwInitParam);
    if (!dialog.ended)
    {
        // TRUE asks for the first tab stop; FALSE leaves the focus to the procedure, and with
        // none set there the dialog's activation gives it to the first tab stop all the same.
        static_cast<void>(focusDefault);
        if (firstTabStop)
            gtk_widget_grab_focus(Win32GetDialogWidget(firstTabStop));
        dialog.loop = g_main_loop_new(nullptr, FALSE);
        gtk_window_present(GTK_WINDOW(dialog.window));
        g_main_loop_run(dialog.loop);
    }
    CloseDialog(dialog);
    Destroy(dialog);
    return dialog.result;
}
