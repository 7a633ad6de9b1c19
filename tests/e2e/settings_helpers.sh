# Finding and driving the Settings dialog with xdotool; sourced by the end-to-end scripts.
# The focus starts on OK; Tab then goes Cancel, Music, resolution, Full Screen,
# anti-aliasing, VSync.

# find_settings: sets dialog to the id of the Settings window, or returns 1.
find_settings() {
    dialog=$(find_visible 30 '^Settings$')
    [ -n "$dialog" ]
}

# settings_keys <key...>: sends the keys to the dialog.
settings_keys() {
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    xdotool key --clearmodifiers --delay 40 "$@"
}

# settings_antialiasing <text>: replaces the text of the anti-aliasing box, focus back on OK.
settings_antialiasing() {
    settings_keys Tab Tab Tab Tab Tab ctrl+a
    xdotool type --delay 40 "$1"
    settings_keys Tab Tab
}

# accept_settings_4x: OK with 4x anti-aliasing, which every OpenGL implementation here
# gives (llvmpipe has no 6x); the rest stays as the dialog opens.
accept_settings_4x() {
    find_settings || return 1
    settings_antialiasing 4x
    # xdotool may fail once the dialog it typed into has gone; what follows
    # (a demo window or not) tells whether the dialog took the keys.
    settings_keys Return || true
}
