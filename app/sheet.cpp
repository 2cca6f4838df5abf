// The property sheet of six pages.
#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

#include "app/app.h"
#include "pages/pages.h"
#include "platform/module.h"
#include "res/resource.h"

// The sheet is filled with the first-version structures, whose size the
// device's 32-bit sheet expects: 40 bytes each there.
const UINT kHeaderV1Size = offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK);
const UINT kPageV1Size = sizeof(PROPSHEETPAGEW_V1);
static_assert(sizeof(void*) != 4 || kHeaderV1Size == 40, "32-bit sheet header must be 40 bytes");
static_assert(sizeof(void*) != 4 || kPageV1Size == 40, "32-bit sheet page must be 40 bytes");
// The sheet steps through the page array by each page's dwSize.
static_assert(kPageV1Size == offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(void*), "page layout");

namespace {

struct PageEntry {
    const wchar_t* title;
    int dialog;
    DLGPROC procedure;
};

// In the order of SheetPage.
const PageEntry kPages[SheetPageCount] = {
    {L"General", IDD_GENERAL, GeneralPageProc},
    {L"Settings", IDD_SETTINGS, SettingsPageProc},
    {L"Parameters", IDD_PARAMETERS, ParametersPageProc},
    {L"Tools", IDD_TOOLS, ToolsPageProc},
    {L"Device", IDD_DEVICE, DevicePageProc},
    {L"Advance", IDD_ADVANCE, AdvancePageProc},
};

}  // namespace

int RunPropertySheet(HWND owner) {
    // The device registers common controls only on request, and the pages'
    // templates use its trackbar (a bar class), the sheet its tab control.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    PROPSHEETPAGEW_V1 pages[SheetPageCount] = {};
    for (int i = 0; i < SheetPageCount; ++i) {
        pages[i].dwSize = kPageV1Size;
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = InstanceHandle;
        pages[i].pszTemplate = MAKEINTRESOURCEW(kPages[i].dialog);
        pages[i].pfnDlgProc = kPages[i].procedure;
        pages[i].pszTitle = kPages[i].title;
        pages[i].lParam = 0;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = kHeaderV1Size;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = InstanceHandle;
    header.pszCaption = L"Quillon Inc.";
    header.nPages = SheetPageCount;
    header.nStartPage = DevicePage;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(pages);
    return (int)PropertySheetW(&header);
}
