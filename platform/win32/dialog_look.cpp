// The dialog's GTK look: GTK brought up without a word on the console, a
// flat Windows-like styling, the template's font, and the base units that
// turn dialog units into pixels.
#include "win32/dialog_internal.h"
#include "win32/internal.h"

#include <algorithm>

namespace win32
{
namespace
{

void SilentHandler(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

GLogWriterOutput SilentWriter(GLogLevelFlags, const GLogField*, gsize, gpointer)
{
    return G_LOG_WRITER_HANDLED;
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

std::string FontCss(const DialogTemplate& tmpl)
{
    // "MS Shell Dlg" names the system's dialog face; its stand-in is the desktop's sans.
    std::string family = tmpl.typeface;
    if (family.empty() || family.rfind("MS Shell Dlg", 0) == 0 || family == "MS Sans Serif" || family == "Tahoma")
        family = "Sans";
    const int points = tmpl.pointSize > 0 ? tmpl.pointSize : 8;
    const int weight = tmpl.weight > 0 ? std::min(900, std::max(100, tmpl.weight)) : 400;
    // The combo boxes' lists open in windows of their own.
    return ".win32-dialog, .win32-dialog *, window.popup menu, window.popup menu * { font-family: \"" + family +
           "\"; font-size: " + std::to_string(points) + "pt; font-weight: " + std::to_string(weight) +
           "; font-style: " + (tmpl.italic ? "italic" : "normal") + "; }\n";
}

// Windows' base units: the average width of the Latin letters (rounded) and the font's height.
void MeasureBaseUnits(Dialog& dialog)
{
    PangoLayout* layout =
        gtk_widget_create_pango_layout(dialog.window, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    PangoContext* context = pango_layout_get_context(layout);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    dialog.baseX = (width / 26 + 1) / 2;
    dialog.baseY = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
}

} // namespace

bool EnsureGtk()
{
    static bool up = false;
    static bool silenced = false;
    if (up)
        return true;
    if (!silenced)
    {
        // The program prints nothing: GLib's and GTK's messages are dropped.
        g_log_set_default_handler(SilentHandler, nullptr);
        g_log_set_writer_func(SilentWriter, nullptr, nullptr);
        // Keep the C locale: the program reads numbers from text the way Windows' C runtime does.
        gtk_disable_setlocale();
        silenced = true;
    }
    up = ConnectToDisplay([] { return gtk_init_check(nullptr, nullptr) != FALSE; });
    return up;
}

void ApplyLook(Dialog& dialog, const DialogTemplate& tmpl)
{
    gtk_style_context_add_class(gtk_widget_get_style_context(dialog.window), "win32-dialog");
    dialog.style = gtk_css_provider_new();
    const std::string css = std::string(kStyle) + FontCss(tmpl);
    gtk_css_provider_load_from_data(dialog.style, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(dialog.window), GTK_STYLE_PROVIDER(dialog.style),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    MeasureBaseUnits(dialog);
}

void RemoveLook(Dialog& dialog)
{
    if (dialog.style)
    {
        gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(dialog.style));
        g_object_unref(dialog.style);
        dialog.style = nullptr;
    }
}

} // namespace win32
