// The dialog manager: modal dialogs built with GTK 3 from the program's dialog
// templates, their controls answering the Win32 messages and notifying the
// dialog procedure as Windows' controls do. Dialogs run on the thread that
// calls DialogBoxParamA, and GTK is only ever used from it.
#include "win32/dialog.h"
#include "win32/dialog_template.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Dialog;

struct Control {
    enum Kind { PushButton, CheckBox, Label, ComboList, ComboEdit };

    Dialog* dialog = nullptr;
    win32::DialogControl spec;
    Kind kind = Label;
    HWND handle = nullptr;
    GtkWidget* widget = nullptr;
    GtkWidget* entry = nullptr;  // the edit field of a ComboEdit
    std::vector<std::string> items;
    int selection = CB_ERR;
    UINT check = BST_UNCHECKED;
    bool updating = false;  // set while the layer itself changes the widget
};

struct Dialog {
    HWND handle = nullptr;
    DLGPROC proc = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    GtkWidget* window = nullptr;
    GtkCssProvider* style = nullptr;
    GMainLoop* loop = nullptr;
    int baseX = 0, baseY = 0;  // dialog base units in pixels
    int defaultId = IDOK;
    DWORD frameStyle = 0;
    bool ended = false;
    INT_PTR result = 0;
};

std::vector<Dialog*> g_dialogs;  // open dialogs, innermost last
// Eight past a multiple of 16: never one of the window manager's handles.
uintptr_t g_nextHandle = 0x20018;

HWND NewHandle() {
    const HWND handle = reinterpret_cast<HWND>(g_nextHandle);
    g_nextHandle += 0x10;
    return handle;
}

Dialog* FindDialog(HWND hDlg) {
    for (Dialog* dialog : g_dialogs) {
        if (dialog->handle == hDlg)
            return dialog;
    }
    return nullptr;
}

Control* FindControl(HWND hDlg, int id) {
    Dialog* dialog = FindDialog(hDlg);
    if (!dialog)
        return nullptr;
    for (const auto& control : dialog->controls) {
        if (control->spec.id == id)
            return control.get();
    }
    return nullptr;
}

bool SameText(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool StartsWithText(const std::string& item, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return n <= item.size() && SameText(item.substr(0, n), prefix);
}

int CompareText(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Win32 marks the mnemonic with '&' ("&&" for the character); GTK with '_'.
std::string MnemonicText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_')
            out += "__";
        else if (text[i] != '&')
            out += text[i];
        else if (i + 1 < text.size() && text[i + 1] == '&')
            out += text[++i];
        else
            out += '_';
    }
    return out;
}

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// --- calls into the dialog procedure

INT_PTR Send(Dialog& dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dialog.proc(dialog.handle, msg, wParam, lParam);
}

void Command(Dialog& dialog, int id, WORD code, HWND control) {
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void CommandFor(Dialog& dialog, int id) {
    const auto it = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                 [id](const std::unique_ptr<Control>& c) { return c->spec.id == id; });
    Command(dialog, id, BN_CLICKED, it == dialog.controls.end() ? nullptr : (*it)->handle);
}

// --- signals from GTK

void OnClicked(GtkButton*, gpointer data) {
    Control& control = *static_cast<Control*>(data);
    Command(*control.dialog, control.spec.id, BN_CLICKED, control.handle);
}

void OnToggled(GtkToggleButton* button, gpointer data) {
    Control& control = *static_cast<Control*>(data);
    if (control.updating)
        return;
    const DWORD type = control.spec.style & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE) {
        control.check = gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED;
    } else {
        // A plain check box only tells its parent; the procedure decides the state.
        control.updating = true;
        gtk_toggle_button_set_active(button, control.check == BST_CHECKED);
        control.updating = false;
    }
    Command(*control.dialog, control.spec.id, BN_CLICKED, control.handle);
}

int FindPrefix(const Control& control, const char* text) {
    if (text[0] == '\0')
        return CB_ERR;
    for (size_t i = 0; i < control.items.size(); ++i) {
        if (StartsWithText(control.items[i], text))
            return static_cast<int>(i);
    }
    return CB_ERR;
}

void OnComboChanged(GtkComboBox* combo, gpointer data) {
    Control& control = *static_cast<Control*>(data);
    if (control.updating)
        return;
    const int active = gtk_combo_box_get_active(combo);
    if (active >= 0) {
        control.selection = active;
        Command(*control.dialog, control.spec.id, CBN_SELCHANGE, control.handle);
        return;
    }
    if (!control.entry)
        return;
    // Typing in the edit field selects the first entry that begins with the text, if any.
    control.selection = FindPrefix(control, gtk_entry_get_text(GTK_ENTRY(control.entry)));
    Command(*control.dialog, control.spec.id, CBN_EDITCHANGE, control.handle);
}

Control* FocusedControl(Dialog& dialog) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog.window));
    if (!focus)
        return nullptr;
    for (const auto& control : dialog.controls) {
        if (focus == control->widget || gtk_widget_is_ancestor(focus, control->widget))
            return control.get();
    }
    return nullptr;
}

bool CanTabTo(const Control& control) {
    return (control.spec.style & WS_TABSTOP) && gtk_widget_get_visible(control.widget) &&
           gtk_widget_is_sensitive(control.widget);
}

// Tab order is template order over the WS_TABSTOP controls, as on Windows.
void MoveFocus(Dialog& dialog, bool forward) {
    const int count = static_cast<int>(dialog.controls.size());
    Control* current = FocusedControl(dialog);
    int at = forward ? -1 : count;
    for (int i = 0; i < count; ++i) {
        if (dialog.controls[i].get() == current)
            at = i;
    }
    for (int step = 1; step <= count; ++step) {
        const int i = ((at + (forward ? step : -step)) % count + count) % count;
        if (CanTabTo(*dialog.controls[i])) {
            gtk_widget_grab_focus(dialog.controls[i]->widget);
            return;
        }
    }
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    Dialog& dialog = *static_cast<Dialog*>(data);
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        // Enter presses the focused push button, else the default one.
        Control* focused = FocusedControl(dialog);
        if (focused && focused->kind == Control::PushButton)
            Command(dialog, focused->spec.id, BN_CLICKED, focused->handle);
        else
            CommandFor(dialog, dialog.defaultId);
        return TRUE;
    }
    case GDK_KEY_Escape:
        CommandFor(dialog, IDCANCEL);
        return TRUE;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
        if (modifiers & ~GDK_SHIFT_MASK)
            return FALSE;
        MoveFocus(dialog, event->keyval != GDK_KEY_ISO_Left_Tab && !(modifiers & GDK_SHIFT_MASK));
        return TRUE;
    default:
        return FALSE;
    }
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    Dialog& dialog = *static_cast<Dialog*>(data);
    // A procedure that leaves WM_CLOSE to the default handling gets IDCANCEL, as from DefDlgProc.
    if (!Send(dialog, WM_CLOSE, 0, 0) && !dialog.ended)
        CommandFor(dialog, IDCANCEL);
    return TRUE;
}

// --- GTK start-up and look

void SilentHandler(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

GLogWriterOutput SilentWriter(GLogLevelFlags, const GLogField*, gsize, gpointer) {
    return G_LOG_WRITER_HANDLED;
}

bool EnsureGtk() {
    static bool up = false;
    static bool silenced = false;
    if (up)
        return true;
    if (!silenced) {
        // The program prints nothing: GLib's and GTK's messages are dropped.
        g_log_set_default_handler(SilentHandler, nullptr);
        g_log_set_writer_func(SilentWriter, nullptr, nullptr);
        // Keep the C locale: the program reads numbers from text the way Windows' C runtime does.
        gtk_disable_setlocale();
        silenced = true;
    }
    up = gtk_init_check(nullptr, nullptr) != FALSE;
    return up;
}

// A Windows-like look: flat grey face, square controls, 13-pixel check boxes.
const char* const kStyle = R"(
.win32-dialog { background-color: #f0f0f0; color: #000000; }
.win32-dialog label { color: #000000; }
.win32-dialog button {
    min-height: 0; min-width: 0; padding: 0 4px; border: 1px solid #adadad; border-radius: 0;
    background-image: none; background-color: #e1e1e1; box-shadow: none; text-shadow: none; color: #000000;
}
.win32-dialog button:hover { background-color: #e5f1fb; border-color: #0078d7; }
.win32-dialog button:active { background-color: #cce4f7; border-color: #005499; }
.win32-dialog button.default { border: 2px solid #0078d7; }
.win32-dialog button:focus { outline: 1px dotted #000000; outline-offset: -3px; }
.win32-dialog checkbutton { padding: 0; min-height: 0; }
.win32-dialog checkbutton check {
    min-width: 11px; min-height: 11px; margin: 0 4px 0 0; padding: 0; border: 1px solid #333333;
    border-radius: 0; background-image: none; background-color: #ffffff; box-shadow: none; color: #000000;
    -gtk-icon-shadow: none;
}
.win32-dialog checkbutton check:hover { border-color: #0078d7; }
.win32-dialog checkbutton:focus label { outline: 1px dotted #000000; }
.win32-dialog combobox button, .win32-dialog combobox entry {
    min-height: 0; padding: 0 2px 0 3px; border: 1px solid #adadad; border-radius: 0;
    background-image: none; box-shadow: none;
}
.win32-dialog combobox entry { background-color: #ffffff; color: #000000; border-color: #7a7a7a; border-right: none; }
.win32-dialog combobox button { background-color: #e1e1e1; }
.win32-dialog combobox entry + button { background-color: #ffffff; border-color: #7a7a7a; border-left: none; }
.win32-dialog combobox arrow { min-width: 12px; min-height: 12px; color: #000000; }
)";

std::string FontCss(const win32::DialogTemplate& tmpl) {
    // "MS Shell Dlg" names the system's dialog face; its stand-in is the desktop's sans.
    std::string family = tmpl.typeface;
    if (family.empty() || family.rfind("MS Shell Dlg", 0) == 0 || family == "MS Sans Serif" || family == "Tahoma")
        family = "Sans";
    const int points = tmpl.pointSize > 0 ? tmpl.pointSize : 8;
    const int weight = tmpl.weight > 0 ? std::min(900, std::max(100, tmpl.weight)) : 400;
    // The combo boxes' lists open in windows of their own.
    return ".win32-dialog, .win32-dialog *, window.popup menu, window.popup menu * { font-family: \"" + family + "\"; font-size: " +
           std::to_string(points) + "pt; font-weight: " + std::to_string(weight) +
           "; font-style: " + (tmpl.italic ? "italic" : "normal") + "; }\n";
}

// Windows' base units: the average width of the Latin letters (rounded) and the font's height.
void MeasureBaseUnits(Dialog& dialog) {
    PangoLayout* layout = gtk_widget_create_pango_layout(dialog.window,
                                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    PangoContext* context = pango_layout_get_context(layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, pango_context_get_font_description(context),
                                                          nullptr);
    dialog.baseX = (width / 26 + 1) / 2;
    dialog.baseY = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
}

// --- building

bool SameClass(const std::string& className, const char* name) {
    return SameText(className, name);
}

bool CreateControl(Dialog& dialog, const win32::DialogControl& spec, GtkWidget* fixed) {
    auto control = std::make_unique<Control>();
    control->dialog = &dialog;
    control->spec = spec;
    control->handle = NewHandle();
    const DWORD style = spec.style;
    if (SameClass(spec.className, "Button")) {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            control->kind = Control::PushButton;
            control->widget = gtk_button_new_with_mnemonic(MnemonicText(spec.text).c_str());
            g_signal_connect(control->widget, "clicked", G_CALLBACK(OnClicked), control.get());
            if (type == BS_DEFPUSHBUTTON)
                dialog.defaultId = spec.id;
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            control->kind = Control::CheckBox;
            control->widget = gtk_check_button_new_with_mnemonic(MnemonicText(spec.text).c_str());
            g_signal_connect(control->widget, "toggled", G_CALLBACK(OnToggled), control.get());
        } else {
            return false;
        }
    } else if (SameClass(spec.className, "Static")) {
        const DWORD type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
            type != SS_SIMPLE)
            return false;
        control->kind = Control::Label;
        control->widget = (style & SS_NOPREFIX) ? gtk_label_new(spec.text.c_str())
                                                : gtk_label_new_with_mnemonic(MnemonicText(spec.text).c_str());
        GtkLabel* label = GTK_LABEL(control->widget);
        gtk_label_set_xalign(label, type == SS_CENTER ? 0.5f : type == SS_RIGHT ? 1.0f : 0.0f);
        gtk_label_set_yalign(label, 0.0f);
        gtk_label_set_line_wrap(label, type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
    } else if (SameClass(spec.className, "ComboBox")) {
        const DWORD type = style & 3;
        if (type == CBS_DROPDOWNLIST) {
            control->kind = Control::ComboList;
            control->widget = gtk_combo_box_text_new();
        } else if (type == CBS_DROPDOWN) {
            control->kind = Control::ComboEdit;
            control->widget = gtk_combo_box_text_new_with_entry();
            control->entry = gtk_bin_get_child(GTK_BIN(control->widget));
            gtk_entry_set_width_chars(GTK_ENTRY(control->entry), 1);
        } else {
            return false;
        }
        g_signal_connect(control->widget, "changed", G_CALLBACK(OnComboChanged), control.get());
    } else {
        return false;
    }

    const int x = MulDiv(spec.x, dialog.baseX, 4);
    const int y = MulDiv(spec.y, dialog.baseY, 8);
    const int width = MulDiv(spec.cx, dialog.baseX, 4);
    // A closed combo box is one line high; the template's height is that of its open list.
    const int height = control->kind == Control::ComboList || control->kind == Control::ComboEdit
                           ? dialog.baseY + 8
                           : MulDiv(spec.cy, dialog.baseY, 8);
    gtk_widget_set_size_request(control->widget, width, height);
    gtk_fixed_put(GTK_FIXED(fixed), control->widget, x, y);
    if (control->kind == Control::PushButton && dialog.defaultId == spec.id) {
        gtk_widget_set_can_default(control->widget, TRUE);
        gtk_widget_grab_default(control->widget);
    }
    gtk_widget_set_sensitive(control->widget, !(style & WS_DISABLED));
    if (style & WS_VISIBLE)
        gtk_widget_show_all(control->widget);
    dialog.controls.push_back(std::move(control));
    return true;
}

void RealizeFrame(GtkWidget* window, gpointer data) {
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

bool Build(Dialog& dialog, const win32::DialogTemplate& tmpl) {
    dialog.frameStyle = tmpl.style;
    dialog.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(dialog.window);
    gtk_style_context_add_class(gtk_widget_get_style_context(dialog.window), "win32-dialog");
    dialog.style = gtk_css_provider_new();
    const std::string css = std::string(kStyle) + FontCss(tmpl);
    gtk_css_provider_load_from_data(dialog.style, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(dialog.window),
                                              GTK_STYLE_PROVIDER(dialog.style),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    MeasureBaseUnits(dialog);

    GtkWindow* window = GTK_WINDOW(dialog.window);
    gtk_window_set_title(window, tmpl.caption.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(window, (tmpl.style & (DS_CENTER | DS_CENTERMOUSE)) ? GTK_WIN_POS_CENTER
                                                                               : GTK_WIN_POS_NONE);
    if (!(tmpl.style & (DS_CENTER | DS_CENTERMOUSE)))
        gtk_window_move(window, MulDiv(tmpl.x, dialog.baseX, 4), MulDiv(tmpl.y, dialog.baseY, 8));
    g_signal_connect(dialog.window, "realize", G_CALLBACK(RealizeFrame), &dialog);
    g_signal_connect(dialog.window, "key-press-event", G_CALLBACK(OnKeyPress), &dialog);
    g_signal_connect(dialog.window, "delete-event", G_CALLBACK(OnDelete), &dialog);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, MulDiv(tmpl.cx, dialog.baseX, 4), MulDiv(tmpl.cy, dialog.baseY, 8));
    gtk_container_add(GTK_CONTAINER(dialog.window), fixed);
    gtk_widget_show(fixed);
    for (const win32::DialogControl& spec : tmpl.controls) {
        if (!CreateControl(dialog, spec, fixed))
            return false;
    }
    return true;
}

void Destroy(Dialog& dialog) {
    if (dialog.window) {
        gtk_widget_destroy(dialog.window);
        g_object_unref(dialog.window);
    }
    if (dialog.style) {
        gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(dialog.style));
        g_object_unref(dialog.style);
    }
    if (dialog.loop)
        g_main_loop_unref(dialog.loop);
    // Let the window go from the X server before the program opens windows of its own.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    gdk_display_sync(gdk_display_get_default());
}

// --- control messages

LRESULT InsertItem(Control& control, int index, const char* text) {
    const int count = static_cast<int>(control.items.size());
    if (index < -1 || index > count)
        return CB_ERR;
    if (index == -1)
        index = count;
    control.items.insert(control.items.begin() + index, text);
    control.updating = true;
    gtk_combo_box_text_insert_text(GTK_COMBO_BOX_TEXT(control.widget), index, text);
    control.updating = false;
    if (control.selection >= index)
        ++control.selection;
    return index;
}

void Select(Control& control, int index) {
    control.selection = index;
    control.updating = true;
    gtk_combo_box_set_active(GTK_COMBO_BOX(control.widget), index);
    if (index < 0 && control.entry)
        gtk_entry_set_text(GTK_ENTRY(control.entry), "");
    control.updating = false;
}

LRESULT ComboMessage(Control& control, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(control.items.size());
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (msg) {
    case CB_ADDSTRING: {
        if (!text)
            return CB_ERR;
        int at = count;
        // Only adding keeps a CBS_SORT list sorted; inserting puts the text where it is told.
        if (control.spec.style & CBS_SORT) {
            at = 0;
            while (at < count && CompareText(control.items[at], text) <= 0)
                ++at;
        }
        return InsertItem(control, at, text);
    }
    case CB_INSERTSTRING:
        return text ? InsertItem(control, index, text) : CB_ERR;
    case CB_DELETESTRING:
        if (index < 0 || index >= count)
            return CB_ERR;
        control.items.erase(control.items.begin() + index);
        control.updating = true;
        gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(control.widget), index);
        control.updating = false;
        if (control.selection == index)
            Select(control, CB_ERR);
        else if (control.selection > index)
            --control.selection;
        return count - 1;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return control.selection;
    case CB_SETCURSEL:
        if (index < 0 || index >= count) {
            Select(control, CB_ERR);
            return CB_ERR;
        }
        Select(control, index);
        return index;
    case CB_RESETCONTENT:
        control.items.clear();
        control.updating = true;
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(control.widget));
        control.updating = false;
        Select(control, CB_ERR);
        return CB_OKAY;
    case CB_GETLBTEXTLEN:
        return index < 0 || index >= count ? CB_ERR : static_cast<LRESULT>(control.items[index].size());
    case CB_GETLBTEXT:
        if (index < 0 || index >= count || !lParam)
            return CB_ERR;
        std::memcpy(reinterpret_cast<char*>(lParam), control.items[index].c_str(), control.items[index].size() + 1);
        return static_cast<LRESULT>(control.items[index].size());
    case CB_FINDSTRING: {
        if (!text || count == 0)
            return CB_ERR;
        // The search starts after wParam and wraps round; -1 searches from the top.
        const int start = index < 0 || index >= count ? -1 : index;
        for (int step = 1; step <= count; ++step) {
            const int i = (start + step) % count;
            if (StartsWithText(control.items[i], text))
                return i;
        }
        return CB_ERR;
    }
    default:
        return 0;
    }
}

LRESULT ButtonMessage(Control& control, UINT msg, WPARAM wParam) {
    switch (msg) {
    case BM_GETCHECK:
        return control.kind == Control::CheckBox ? control.check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (control.kind == Control::CheckBox && (wParam == BST_CHECKED || wParam == BST_UNCHECKED)) {
            control.check = static_cast<UINT>(wParam);
            control.updating = true;
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control.widget), wParam == BST_CHECKED);
            control.updating = false;
        }
        return 0;
    case BM_CLICK:
        gtk_button_clicked(GTK_BUTTON(control.widget));
        return 0;
    default:
        return 0;
    }
}

}  // namespace

GtkWidget* Win32GetDialogWidget(HWND hWnd) {
    for (Dialog* dialog : g_dialogs) {
        if (dialog->handle == hWnd)
            return dialog->window;
        for (const auto& control : dialog->controls) {
            if (control->handle == hWnd)
                return control->widget;
        }
    }
    return nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND /*hWndParent*/,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    // The program has one module, so every instance handle names its resources.
    win32::DialogTemplate tmpl;
    if (!win32::FindDialogTemplate(lpTemplateName, tmpl)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (!lpDialogFunc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!EnsureGtk()) {
        SetLastError(ERROR_GEN_FAILURE);
        return -1;
    }
    Dialog dialog;
    dialog.handle = NewHandle();
    dialog.proc = lpDialogFunc;
    if (!Build(dialog, tmpl)) {
        Destroy(dialog);
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return -1;
    }
    g_dialogs.push_back(&dialog);

    HWND firstTabStop = nullptr;
    for (const auto& control : dialog.controls) {
        if (!firstTabStop && CanTabTo(*control))
            firstTabStop = control->handle;
    }
    // The dialog is built and filled before it is shown; wParam names the control that would get the focus.
    const INT_PTR focusDefault = Send(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), dwInitParam);
    if (!dialog.ended) {
        // TRUE asks for the first tab stop; FALSE leaves the focus to the procedure, and with
        // none set there the dialog's activation gives it to the first tab stop all the same.
        static_cast<void>(focusDefault);
        if (firstTabStop)
            gtk_widget_grab_focus(Win32GetDialogWidget(firstTabStop));
        dialog.loop = g_main_loop_new(nullptr, FALSE);
        gtk_window_present(GTK_WINDOW(dialog.window));
        g_main_loop_run(dialog.loop);
    }
    g_dialogs.erase(std::find(g_dialogs.begin(), g_dialogs.end(), &dialog));
    Destroy(dialog);
    return dialog.result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Dialog* dialog = FindDialog(hDlg);
    if (!dialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The dialog closes when its procedure returns, as on Windows.
    dialog->ended = true;
    dialog->result = nResult;
    gtk_widget_hide(dialog->window);
    if (dialog->loop)
        g_main_loop_quit(dialog->loop);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Control* control = FindControl(hDlg, nIDDlgItem);
    if (!control) {
        SetLastError(FindDialog(hDlg) ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return control->handle;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Control* control = FindControl(hDlg, nIDDlgItem);
    if (!control) {
        SetLastError(FindDialog(hDlg) ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (control->kind) {
    case Control::ComboList:
    case Control::ComboEdit:
        return ComboMessage(*control, Msg, wParam, lParam);
    case Control::PushButton:
    case Control::CheckBox:
        return ButtonMessage(*control, Msg, wParam);
    default:
        return 0;
    }
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    if (!FindControl(hDlg, nIDButton))
        return FALSE;
    SendDlgItemMessageA(hDlg, nIDButton, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    Dialog* dialog = FindDialog(hDlg);
    if (!dialog || !lpRect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    lpRect->left = MulDiv(lpRect->left, dialog->baseX, 4);
    lpRect->right = MulDiv(lpRect->right, dialog->baseX, 4);
    lpRect->top = MulDiv(lpRect->top, dialog->baseY, 8);
    lpRect->bottom = MulDiv(lpRect->bottom, dialog->baseY, 8);
    return TRUE;
}
