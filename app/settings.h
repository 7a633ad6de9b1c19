// The choices of the Settings dialog.
#pragma once

struct C_Settings
{
    int width = 1024;
    int height = 768;
    int antiAliasing = 0; // multisample count: 0, 2, 4 or 6
    bool vsync = false;
    bool music = true; // false: the audio library runs on its silent device
    bool windowed = false;
};
