#include "win32/dialog_control.h"

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

LRESULT InsertItem(ControlState& state, ControlView& view, int index, const char* text)
{
    const int count = static_cast<int>(state.items.size());
    if (index < -1 || index > count)
        return CB_ERR;
    if (index == -1)
        index = count;
    state.items.insert(state.items.begin() + index, text);
    view.ItemInserted(index, state.items[index]);
    if (state.selection >= index)
        ++state.selection;
    return index;
}

void Select(ControlState& state, ControlView& view, int index)
{
    state.selection = index;
    view.SelectionChanged();
}

LRESULT ComboMessage(ControlState& state, ControlView& view, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int count = static_cast<int>(state.items.size());
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
        if (state.itemTemplate.style & CBS_SORT)
        {
            at = 0;
            while (at < count && CompareText(state.items[at], text) <= 0)
                ++at;
        }
        return InsertItem(state, view, at, text);
    }
    case CB_INSERTSTRING: return text ? InsertItem(state, view, index, text) : CB_ERR;
    case CB_DELETESTRING:
        if (index < 0 || index >= count)
            return CB_ERR;
        state.items.erase(state.items.begin() + index);
        view.ItemRemoved(index);
        if (state.selection == index)
            Select(state, view, CB_ERR);
        else if (state.selection > index)
            --state.selection;
        return count - 1;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return state.selection;
    case CB_SETCURSEL:
        if (index < 0 || index >= count)
        {
            Select(state, view, CB_ERR);
            return CB_ERR;
        }
        Select(state, view, index);
        return index;
    case CB_RESETCONTENT:
        state.items.clear();
        view.ItemsCleared();
        Select(state, view, CB_ERR);
        return CB_OKAY;
    case CB_GETLBTEXTLEN: return index < 0 || index >= count ? CB_ERR : static_cast<LRESULT>(state.items[index].size());
    case CB_GETLBTEXT:
        if (index < 0 || index >= count || !lParam)
            return CB_ERR;
        std::memcpy(reinterpret_cast<char*>(lParam), state.items[index].c_str(), state.items[index].size() + 1);
        return static_cast<LRESULT>(state.items[index].size());
    case CB_FINDSTRING:
    {
        if (!text || count == 0)
            return CB_ERR;
        // The search starts after wParam and wraps round; -1 searches from the top.
        const int start = index < 0 || index >= count ? -1 : index;
        for (int step = 1; step <= count; ++step)
        {
            const int i = (start + step) % count;
            if (StartsWithText(state.items[i], text))
                return i;
        }
        return CB_ERR;
    }
    default: return 0;
    }
}

LRESULT ButtonMessage(ControlState& state, ControlView& view, UINT msg, WPARAM wParam)
{
    switch (msg)
    {
    case BM_GETCHECK: return state.kind == ControlState::CheckBox ? state.check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (state.kind == ControlState::CheckBox && (wParam == BST_CHECKED || wParam == BST_UNCHECKED))
        {
            state.check = static_cast<UINT>(wParam);
            view.CheckChanged();
        }
        return 0;
    case BM_CLICK: view.Click(); return 0;
    default: return 0;
    }
}

} // namespace

bool ControlKindFor(const DialogControl& itemTemplate, ControlState::Kind& kind)
{
    const DWORD style = itemTemplate.style;
    if (SameName(itemTemplate.className, "Button"))
    {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            kind = ControlState::PushButton;
        else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
            kind = ControlState::CheckBox;
        else
            return false;
        return true;
    }
    if (SameName(itemTemplate.className, "Static"))
    {
        const DWORD type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
            return false;
        kind = ControlState::Label;
        return true;
    }
    if (SameName(itemTemplate.className, "ComboBox"))
    {
        const DWORD type = style & 3;
        if (type == CBS_DROPDOWNLIST)
            kind = ControlState::ComboList;
        else if (type == CBS_DROPDOWN)
            kind = ControlState::ComboEdit;
        else
            return false;
        return true;
    }
    return false;
}

LRESULT ControlMessage(ControlState& state, ControlView& view, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (state.kind)
    {
    case ControlState::ComboList:
    case ControlState::ComboEdit: return ComboMessage(state, view, msg, wParam, lParam);
    case ControlState::PushButton:
    case ControlState::CheckBox: return ButtonMessage(state, view, msg, wParam);
    default: return 0;
    }
}

int MulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

int FindPrefix(const ControlState& state, const char* text)
{
    if (text[0] == '\0')
        return CB_ERR;
    for (size_t i = 0; i < state.items.size(); ++i)
    {
        if (StartsWithText(state.items[i], text))
            return static_cast<int>(i);
    }
    return CB_ERR;
}

} // namespace win32
