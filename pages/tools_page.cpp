// Tools: free drawing, controller information, reset and restore defaults.
#include <windows.h>
#include <commctrl.h>

#include "link/exchange.h"
#include "pages/page_rules.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "surface/fullscreen.h"

namespace {

// Both commands are judged leniently: any one sign of an acknowledgement will do.
void RunControllerCommand(HWND page, const char* body, const wchar_t* ok, const wchar_t* fail) {
    int passed = ExchangeText(body, LenientAcknowledgement, kSettleMs, 0);
    ShowPageMessage(page, passed ? ok : fail, L"Message");
}

}  // namespace

INT_PTR CALLBACK ToolsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            return HandlePageNotify(page, lParam, nullptr, TRUE);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_TOOLS_DRAW:
                    OpenFreeDrawing();
                    break;
                case IDC_TOOLS_INFORMATION:
                    ShowPageMessage(page, L"USB Device:\nOutput Identity: K72400\nUnit Type: PX07300\n", L"Information");
                    break;
                case IDC_TOOLS_RESET:
                    RunControllerCommand(page, "R", L"Rest ok!", L"Rest fail!");
                    break;
                case IDC_TOOLS_DEFAULTS:
                    RunControllerCommand(page, "RD", L"Rest default ok!", L"Rest default fail!");
                    break;
            }
            return FALSE;
    }
    return FALSE;
}
