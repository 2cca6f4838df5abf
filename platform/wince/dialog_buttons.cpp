// On the device, CheckDlgButton and IsDlgButtonChecked are inline functions
// of its headers over SendDlgItemMessage, not functions of the core library;
// the desktop headers declare them as imports. Here they are as the device has
// them, behind the import pointers through which the program calls them.
#include <windows.h>

namespace {

BOOL WINAPI CheckButton(HWND dialog, int id, UINT check) {
    return (BOOL)SendDlgItemMessageW(dialog, id, BM_SETCHECK, check, 0);
}

UINT WINAPI ButtonCheck(HWND dialog, int id) { return (UINT)SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0); }

}  // namespace

extern "C" {
void* __MINGW_IMP_SYMBOL(CheckDlgButton) = reinterpret_cast<void*>(CheckButton);
void* __MINGW_IMP_SYMBOL(IsDlgButtonChecked) = reinterpret_cast<void*>(ButtonCheck);
}
