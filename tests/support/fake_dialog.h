// A stand-in for the Win32 dialog manager: the dialog calls that a dialog
// procedure makes, answered from plain state and logged in order.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct FakeDialog
{
    static FakeDialog& Get();
    void Reset();

    std::vector<std::string> calls; // "CB_GETCURSEL 2002", "IsDlgButtonChecked 1005", "EndDialog 1", ...
    std::map<int, std::vector<std::string>> items;
    std::map<int, LRESULT> selection; // CB_ERR where never set
    std::map<int, UINT> checks;
    bool ended = false;
    INT_PTR result = 0;
};
