// The dialog's controls: push buttons, check boxes, labels and combo boxes
// built from the template, answering the Win32 messages and notifying the
// dialog procedure as Windows' controls do.
#include "win32/dialog_internal.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace win32
{
namespace
{

bool StartsWithText(const std::string& item, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return n <= item.size() && SameName(item.substr(0, n), prefix);
}

int CompareText(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
    {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Win32 marks the mnemonic with '&' ("&&" for the character); GTK with '_'.
std::string MnemonicText(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
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

void OnClicked(GtkButton*, gpointer data)
{
    Control& control = *static_cast<Control*>(data);
    Command(*control.dialog, control.itemTemplate.id, BN_CLICKED, control.handle);
}

void OnToggled(GtkToggleButton* button, gpointer data)
{
    Control& control = *static_cast<Control*>(data);
    if (control.updating)
        return;
    const DWORD type = control.itemTemplate.style & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE)
    {
        control.check = gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED;
    }
    else
    {
        // A plain check box only tells its parent; the procedure decides the state.
        control.updating = true;
        gtk_toggle_button_set_active(button, control.check == BST_CHECKED);
        control.updating = false;
    }
    Command(*control.dialog, control.itemTemplate.id, BN_CLICKED, control.handle);
}

int FindPrefix(const Control& control, const char* text)
{
    if (text[0] == '\0')
        return CB_ERR;
    for (size_t i = 0; i < control.items.size(); ++i)
    {
        if (StartsWithText(control.items[i], text))
            return static_cast<int>(i);
    }
    return CB_ERR;
}

void OnComboChanged(GtkComboBox* combo, gpointer data)
{
    Control& control = *static_cast<Control*>(data);
    if (control.updating)
        return;
    const int active = gtk_combo_box_get_active(combo);
    if (active >= 0)
    {
        control.selection = active;
        Command(*control.dialog, control.itemTemplate.id, CBN_SELCHANGE, control.handle);
        return;
    }
    if (!control.entry)
        return;
    // Typing in the edit field selects the first entry that begins with the text, if any.
    control.selection = FindPrefix(control, gtk_entry_get_text(GTK_ENTRY(control.entry)));
    Command(*control.dialog, control.itemTemplate.id, CBN_EDITCHANGE, control.handle);
}

LRESULT InsertItem(Control& control, int index, const char* text)
{
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

void Select(Control& control, int index)
{
    control.selection = index;
    control.updating = true;
    gtk_combo_box_set_active(GTK_COMBO_BOX(control.widget), index);
    if (index < 0 && control.entry)
        gtk_entry_set_text(GTK_ENTRY(control.entry), "");
    control.updating = false;
}

LRESULT ComboMessage(Control& control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int count = static_cast<int>(control.items.size());
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (msg)
    {
    case CB_ADDSTRING:
    {
        if (!text)
            return CB_ERR;
        int at = count;
        // Only adding keeps a CBS_SORT list sorted; inserting puts the text where it is told.
        if (control.itemTemplate.style & CBS_SORT)
        {
            at = 0;
            while (at < count && CompareText(control.items[at], text) <= 0)
                ++at;
        }
        return InsertItem(control, at, text);
    }
    case CB_INSERTSTRING: return text ? InsertItem(control, index, text) : CB_ERR;
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
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return control.selection;
    case CB_SETCURSEL:
        if (index < 0 || index >= count)
        {
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
    case CB_FINDSTRING:
    {
        if (!text || count == 0)
            return CB_ERR;
        // The search starts after wParam and wraps round; -1 searches from the top.
        const int start = index < 0 || index >= count ? -1 : index;
        for (int step = 1; step <= count; ++step)
        {
            const int i = (start + step) % count;
            if (StartsWithText(control.items[i], text))
                return i;
        }
        return CB_ERR;
    }
    default: return 0;
    }
}

LRESULT ButtonMessage(Control& control, UINT msg, WPARAM wParam)
{
    switch (msg)
    {
    case BM_GETCHECK: return control.kind == Control::CheckBox ? control.check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (control.kind == Control::CheckBox && (wParam == BST_CHECKED || wParam == BST_UNCHECKED))
        {
            control.check = static_cast<UINT>(wParam);
            control.updating = true;
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control.widget), wParam == BST_CHECKED);
            control.updating = false;
        }
        return 0;
    case BM_CLICK: gtk_button_clicked(GTK_BUTTON(control.widget)); return 0;
    default: return 0;
    }
}

} // namespace

bool SameClass(const std::string& className, const char* name)
{
    return SameName(className, name);
}

bool CreateControl(Dialog& dialog, const DialogControl& itemTemplate, GtkWidget* fixed)
{
    auto control = std::make_unique<Control>();
    control->dialog = &dialog;
    control->itemTemplate = itemTemplate;
    control->handle = NewHandle();
    const DWORD style = itemTemplate.style;
    if (SameClass(itemTemplate.className, "Button"))
    {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        {
            control->kind = Control::PushButton;
            control->widget = gtk_button_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
            g_signal_connect(control->widget, "clicked", G_CALLBACK(OnClicked), control.get());
            if (type == BS_DEFPUSHBUTTON)
                dialog.defaultId = itemTemplate.id;
        }
        else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
        {
            control->kind = Control::CheckBox;
            control->widget = gtk_check_button_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
            g_signal_connect(control->widget, "toggled", G_CALLBACK(OnToggled), control.get());
        }
        else
        {
            return false;
        }
    }
    else if (SameClass(itemTemplate.className, "Static"))
    {
        const DWORD type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
            return false;
        control->kind = Control::Label;
        control->widget = (style & SS_NOPREFIX) ? gtk_label_new(itemTemplate.text.c_str())
                                                : gtk_label_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
        GtkLabel* label = GTK_LABEL(control->widget);
        gtk_label_set_xalign(label, type == SS_CENTER ? 0.5f : type == SS_RIGHT ? 1.0f : 0.0f);
        gtk_label_set_yalign(label, 0.0f);
        gtk_label_set_line_wrap(label, type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
    }
    else if (SameClass(itemTemplate.className, "ComboBox"))
    {
        const DWORD type = style & 3;
        if (type == CBS_DROPDOWNLIST)
        {
            control->kind = Control::ComboList;
            control->widget = gtk_combo_box_text_new();
        }
        else if (type == CBS_DROPDOWN)
        {
            control->kind = Control::ComboEdit;
            control->widget = gtk_combo_box_text_new_with_entry();
            control->entry = gtk_bin_get_child(GTK_BIN(control->widget));
            gtk_entry_set_width_chars(GTK_ENTRY(control->entry), 1);
        }
        else
        {
            return false;
        }
        g_signal_connect(control->widget, "changed", G_CALLBACK(OnComboChanged), control.get());
    }
    else
    {
        return false;
    }

    const int x = MulDiv(itemTemplate.x, dialog.baseX, 4);
    const int y = MulDiv(itemTemplate.y, dialog.baseY, 8);
    const int width = MulDiv(itemTemplate.cx, dialog.baseX, 4);
    // A closed combo box is one line high; the template's height is that of its open list.
    const int height = control->kind == Control::ComboList || control->kind == Control::ComboEdit
                           ? dialog.baseY + 8
                           : MulDiv(itemTemplate.cy, dialog.baseY, 8);
    gtk_widget_set_size_request(control->widget, width, height);
    gtk_fixed_put(GTK_FIXED(fixed), control->widget, x, y);
    if (control->kind == Control::PushButton && dialog.defaultId == itemTemplate.id)
    {
        gtk_widget_set_can_default(control->widget, TRUE);
        gtk_widget_grab_default(control->widget);
    }
    gtk_widget_set_sensitive(control->widget, !(style & WS_DISABLED));
    if (style & WS_VISIBLE)
        gtk_widget_show_all(control->widget);
    dialog.controls.push_back(std::move(control));
    return true;
}

LRESULT ControlMessage(Control& control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (control.kind)
    {
    case Control::ComboList:
    case Control::ComboEdit: return ComboMessage(control, msg, wParam, lParam);
    case Control::PushButton:
    case Control::CheckBox: return ButtonMessage(control, msg, wParam);
    default: return 0;
    }
}

} // namespace win32
