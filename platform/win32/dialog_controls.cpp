// The dialog's controls as GTK widgets: push buttons, check boxes, labels and
// combo boxes built from the template, showing the state that the Win32
// messages give them (dialog_control.cpp) and notifying the dialog procedure
// as Windows' controls do.
#include "win32/dialog_internal.h"

namespace win32
{
namespace
{

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
    control.dialog->Command(control.itemTemplate.id, BN_CLICKED, control.handle);
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
    control.dialog->Command(control.itemTemplate.id, BN_CLICKED, control.handle);
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
        control.dialog->Command(control.itemTemplate.id, CBN_SELCHANGE, control.handle);
        return;
    }
    if (!control.entry)
        return;
    // Typing in the edit field selects the first entry that begins with the text, if any.
    control.selection = FindPrefix(control, gtk_entry_get_text(GTK_ENTRY(control.entry)));
    control.dialog->Command(control.itemTemplate.id, CBN_EDITCHANGE, control.handle);
}

} // namespace

void Control::ItemInserted(int index, const std::string& text)
{
    updating = true;
    gtk_combo_box_text_insert_text(GTK_COMBO_BOX_TEXT(widget), index, text.c_str());
    updating = false;
}

void Control::ItemRemoved(int index)
{
    updating = true;
    gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(widget), index);
    updating = false;
}

void Control::ItemsCleared()
{
    updating = true;
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(widget));
    updating = false;
}

void Control::SelectionChanged()
{
    updating = true;
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget), selection);
    if (selection < 0 && entry)
        gtk_entry_set_text(GTK_ENTRY(entry), "");
    updating = false;
}

void Control::CheckChanged()
{
    updating = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), check == BST_CHECKED);
    updating = false;
}

void Control::Click()
{
    gtk_button_clicked(GTK_BUTTON(widget));
}

bool CreateControl(Dialog& dialog, const DialogControl& itemTemplate, GtkWidget* fixed)
{
    auto control = std::make_unique<Control>();
    control->dialog = &dialog;
    control->itemTemplate = itemTemplate;
    control->handle = NewDialogHandle();
    if (!ControlKindFor(itemTemplate, control->kind))
        return false;
    const DWORD style = itemTemplate.style;
    switch (control->kind)
    {
    case Control::PushButton:
        control->widget = gtk_button_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
        g_signal_connect(control->widget, "clicked", G_CALLBACK(OnClicked), control.get());
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            dialog.defaultId = itemTemplate.id;
        break;
    case Control::CheckBox:
        control->widget = gtk_check_button_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
        g_signal_connect(control->widget, "toggled", G_CALLBACK(OnToggled), control.get());
        break;
    case Control::Label:
    {
        const DWORD type = style & SS_TYPEMASK;
        control->widget = (style & SS_NOPREFIX) ? gtk_label_new(itemTemplate.text.c_str())
                                                : gtk_label_new_with_mnemonic(MnemonicText(itemTemplate.text).c_str());
        GtkLabel* label = GTK_LABEL(control->widget);
        gtk_label_set_xalign(label, type == SS_CENTER ? 0.5f : type == SS_RIGHT ? 1.0f : 0.0f);
        gtk_label_set_yalign(label, 0.0f);
        gtk_label_set_line_wrap(label, type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
        break;
    }
    case Control::ComboList:
        control->widget = gtk_combo_box_text_new();
        g_signal_connect(control->widget, "changed", G_CALLBACK(OnComboChanged), control.get());
        break;
    case Control::ComboEdit:
        control->widget = gtk_combo_box_text_new_with_entry();
        control->entry = gtk_bin_get_child(GTK_BIN(control->widget));
        gtk_entry_set_width_chars(GTK_ENTRY(control->entry), 1);
        g_signal_connect(control->widget, "changed", G_CALLBACK(OnComboChanged), control.get());
        break;
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

} // namespace win32
