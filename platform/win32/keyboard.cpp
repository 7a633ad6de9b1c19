// SDL keys to Win32 virtual keys and PC scan codes, and the characters
// TranslateMessage makes of them (US layout).
#include "win32/internal.h"

namespace
{

struct KeyEntry
{
    SDL_Scancode sdl;
    BYTE vk;
    WORD scan; // 0xE0xx for the extended keys
};

// By key position; layout-independent keys keep these, character keys take
// the layout's virtual key from the keycode when it has one.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E},
    {SDL_SCANCODE_B, 'B', 0x30},
    {SDL_SCANCODE_C, 'C', 0x2E},
    {SDL_SCANCODE_D, 'D', 0x20},
    {SDL_SCANCODE_E, 'E', 0x12},
    {SDL_SCANCODE_F, 'F', 0x21},
    {SDL_SCANCODE_G, 'G', 0x22},
    {SDL_SCANCODE_H, 'H', 0x23},
    {SDL_SCANCODE_I, 'I', 0x17},
    {SDL_SCANCODE_J, 'J', 0x24},
    {SDL_SCANCODE_K, 'K', 0x25},
    {SDL_SCANCODE_L, 'L', 0x26},
    {SDL_SCANCODE_M, 'M', 0x32},
    {SDL_SCANCODE_N, 'N', 0x31},
    {SDL_SCANCODE_O, 'O', 0x18},
    {SDL_SCANCODE_P, 'P', 0x19},
    {SDL_SCANCODE_Q, 'Q', 0x10},
    {SDL_SCANCODE_R, 'R', 0x13},
    {SDL_SCANCODE_S, 'S', 0x1F},
    {SDL_SCANCODE_T, 'T', 0x14},
    {SDL_SCANCODE_U, 'U', 0x16},
    {SDL_SCANCODE_V, 'V', 0x2F},
    {SDL_SCANCODE_W, 'W', 0x11},
    {SDL_SCANCODE_X, 'X', 0x2D},
    {SDL_SCANCODE_Y, 'Y', 0x15},
    {SDL_SCANCODE_Z, 'Z', 0x2C},
    {SDL_SCANCODE_1, '1', 0x02},
    {SDL_SCANCODE_2, '2', 0x03},
    {SDL_SCANCODE_3, '3', 0x04},
    {SDL_SCANCODE_4, '4', 0x05},
    {SDL_SCANCODE_5, '5', 0x06},
    {SDL_SCANCODE_6, '6', 0x07},
    {SDL_SCANCODE_7, '7', 0x08},
    {SDL_SCANCODE_8, '8', 0x09},
    {SDL_SCANCODE_9, '9', 0x0A},
    {SDL_SCANCODE_0, '0', 0x0B},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A},
    {SDL_SCANCODE_F1, VK_F1, 0x3B},
    {SDL_SCANCODE_F2, VK_F1 + 1, 0x3C},
    {SDL_SCANCODE_F3, VK_F1 + 2, 0x3D},
    {SDL_SCANCODE_F4, VK_F4, 0x3E},
    {SDL_SCANCODE_F5, VK_F1 + 4, 0x3F},
    {SDL_SCANCODE_F6, VK_F1 + 5, 0x40},
    {SDL_SCANCODE_F7, VK_F1 + 6, 0x41},
    {SDL_SCANCODE_F8, VK_F1 + 7, 0x42},
    {SDL_SCANCODE_F9, VK_F1 + 8, 0x43},
    {SDL_SCANCODE_F10, VK_F1 + 9, 0x44},
    {SDL_SCANCODE_F11, VK_F1 + 10, 0x57},
    {SDL_SCANCODE_F12, VK_F12, 0x58},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0xE037},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0xE052},
    {SDL_SCANCODE_HOME, VK_HOME, 0xE047},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0xE049},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0xE053},
    {SDL_SCANCODE_END, VK_END, 0xE04F},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0xE051},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0xE04D},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0xE04B},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0xE050},
    {SDL_SCANCODE_UP, VK_UP, 0xE048},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0xE045},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0xE035},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0xE01C},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, 0x4F},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, 0x50},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, 0x51},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, 0x4B},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, 0x4C},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, 0x4D},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, 0x47},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, 0x48},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, 0x49},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0xE05D},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0xE05B},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0xE01D},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36},
    {SDL_SCANCODE_RALT, VK_MENU, 0xE038},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0xE05C},
};

// The virtual key of a character key, from the character the layout puts on it.
UINT VirtualKeyOfCharacter(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<UINT>(key);
    switch (key)
    {
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_QUOTE: return VK_OEM_7;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    default: return 0;
    }
}

bool IsCharacterPosition(SDL_Scancode sc)
{
    return (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_0) || (sc >= SDL_SCANCODE_MINUS && sc <= SDL_SCANCODE_SLASH) ||
           sc == SDL_SCANCODE_NONUSBACKSLASH;
}

// With Num Lock off the keypad sends the navigation keys.
UINT KeypadNavigationKey(UINT vk)
{
    switch (vk)
    {
    case VK_NUMPAD0: return VK_INSERT;
    case VK_NUMPAD0 + 1: return VK_END;
    case VK_NUMPAD0 + 2: return VK_DOWN;
    case VK_NUMPAD0 + 3: return VK_NEXT;
    case VK_NUMPAD0 + 4: return VK_LEFT;
    case VK_NUMPAD0 + 5: return VK_CLEAR;
    case VK_NUMPAD0 + 6: return VK_RIGHT;
    case VK_NUMPAD0 + 7: return VK_HOME;
    case VK_NUMPAD0 + 8: return VK_UP;
    case VK_NUMPAD0 + 9: return VK_PRIOR;
    case VK_DECIMAL: return VK_DELETE;
    default: return vk;
    }
}

} // namespace

namespace win32
{

KeyInfo KeyInfoFor(SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mods)
{
    for (const KeyEntry& entry : kKeys)
    {
        if (entry.sdl != scancode)
            continue;
        UINT vk = entry.vk;
        if (IsCharacterPosition(scancode))
        {
            if (const UINT layoutVk = VirtualKeyOfCharacter(keycode))
                vk = layoutVk;
        }
        else if (!(mods & KMOD_NUM))
        {
            vk = KeypadNavigationKey(vk);
        }
        return KeyInfo{vk, static_cast<UINT>(entry.scan & 0xFF), (entry.scan & 0xFF00) == 0xE000};
    }
    return KeyInfo{0, 0, false};
}

char CharacterFor(UINT vk, Uint16 mods)
{
    const bool shift = (mods & KMOD_SHIFT) != 0;
    const bool ctrl = (mods & KMOD_CTRL) != 0;
    if (ctrl && (mods & KMOD_ALT))
        return 0;
    if (vk >= 'A' && vk <= 'Z')
    {
        if (ctrl)
            return static_cast<char>(vk - 'A' + 1);
        const bool upper = shift != ((mods & KMOD_CAPS) != 0);
        return static_cast<char>(upper ? vk : vk - 'A' + 'a');
    }
    switch (vk)
    {
    case VK_ESCAPE: return 0x1B;
    case VK_RETURN: return ctrl ? 0x0A : 0x0D;
    case VK_BACK: return ctrl ? 0x7F : 0x08;
    case VK_TAB: return ctrl ? 0 : 0x09;
    case VK_SPACE: return ' ';
    default: break;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<char>('0' + (vk - VK_NUMPAD0));
    switch (vk)
    {
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: break;
    }
    if (ctrl)
        return 0;
    if (vk >= '0' && vk <= '9')
        return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
    switch (vk)
    {
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    case VK_OEM_102: return shift ? '|' : '\\';
    default: return 0;
    }
}

} // namespace win32
