#include "support/fake_dialog.h"

namespace
{
std::string Name(UINT message)
{
    switch (message)
    {
    case CB_INSERTSTRING: return "CB_INSERTSTRING";
    case CB_ADDSTRING: return "CB_ADDSTRING";
    case CB_SETCURSEL: return "CB_SETCURSEL";
    case CB_GETCURSEL: return "CB_GETCURSEL";
    default: return "message " + std::to_string(message);
    }
}
} // namespace

FakeDialog& FakeDialog::Get()
{
    static FakeDialog dialog;
    return dialog;
}

void FakeDialog::Reset()
{
    *this = FakeDialog();
}

LRESULT WINAPI SendDlgItemMessageA(HWND, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    FakeDialog& fake = FakeDialog::Get();
    std::string call = Name(message) + " " + std::to_string(id);
    LRESULT result = 0;
    std::vector<std::string>& list = fake.items[id];
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message)
    {
    case CB_INSERTSTRING:
    {
        const char* text = reinterpret_cast<const char*>(lParam);
        call += " " + std::to_string(index) + " " + text;
        const int at = index == -1 ? static_cast<int>(list.size()) : index;
        list.insert(list.begin() + at, text);
        result = at;
        break;
    }
    case CB_SETCURSEL:
        call += " " + std::to_string(index);
        fake.selection[id] = index >= 0 && index < static_cast<int>(list.size()) ? index : CB_ERR;
        result = fake.selection[id];
        break;
    case CB_GETCURSEL:
    {
        const auto it = fake.selection.find(id);
        result = it == fake.selection.end() ? CB_ERR : it->second;
        break;
    }
    default: break;
    }
    fake.calls.push_back(call);
    return result;
}

BOOL WINAPI CheckDlgButton(HWND, int id, UINT check)
{
    FakeDialog& fake = FakeDialog::Get();
    fake.calls.push_back("CheckDlgButton " + std::to_string(id) + " " + std::to_string(check));
    fake.checks[id] = check;
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND, int id)
{
    FakeDialog& fake = FakeDialog::Get();
    fake.calls.push_back("IsDlgButtonChecked " + std::to_string(id));
    const auto it = fake.checks.find(id);
    return it == fake.checks.end() ? BST_UNCHECKED : it->second;
}

BOOL WINAPI EndDialog(HWND, INT_PTR result)
{
    FakeDialog& fake = FakeDialog::Get();
    fake.calls.push_back("EndDialog " + std::to_string(result));
    fake.ended = true;
    fake.result = result;
    return TRUE;
}
