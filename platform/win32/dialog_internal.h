// The dialog manager's own pieces, shared by its modal loop (dialog.cpp), its
// controls (dialog_controls.cpp) and its GTK look (dialog_look.cpp).
#pragma once

#include "win32/dialog_control.h"
#include "win32/dialog_template.h"

#include <windows.h>

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

namespace win32
{

struct Dialog;

struct Control final : ControlState, ControlView
{
    Dialog* dialog = nullptr;
    GtkWidget* widget = nullptr;
    GtkWidget* entry = nullptr; // the edit field of a ComboEdit
    bool updating = false;      // set while the layer itself changes the widget

    void ItemInserted(int index, const std::string& text) override;
    void ItemRemoved(int index) override;
    void ItemsCleared() override;
    void SelectionChanged() override;
    void CheckChanged() override;
    void Click() override;
};

struct Dialog final : DialogHost
{
    std::vector<std::unique_ptr<Control>> controls;
    GtkWidget* window = nullptr;
    GtkCssProvider* style = nullptr;
    GMainLoop* loop = nullptr;
    int baseX = 0, baseY = 0; // dialog base units in pixels
    DWORD frameStyle = 0;

    ControlState* Item(int id, ControlView*& view) override;
    void End() override;
    void BaseUnits(int& x, int& y) const override;
};

// Controls: built from their template entries; ControlMessage answers their messages.
bool CreateControl(Dialog& dialog, const DialogControl& itemTemplate, GtkWidget* fixed);

// The look: GTK brought up silently, the Windows-like styling and the
// template's font, which gives the dialog base units.
bool EnsureGtk();
void ApplyLook(Dialog& dialog, const DialogTemplate& tmpl);
void RemoveLook(Dialog& dialog);

} // namespace win32
