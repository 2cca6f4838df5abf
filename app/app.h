// Application shell: the property sheet and its pages, in the order of its tabs.
#pragma once
#include <windows.h>

enum SheetPage {
    GeneralPage,
    SettingsPage,
    ParametersPage,
    ToolsPage,
    DevicePage,
    AdvancePage,
    SheetPageCount
};

int RunPropertySheet(HWND owner);
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
