// The start-up baseline: the least a wizard window needs before a user sees
// it. One class, one window with the wizard's client size, one static text
// where the wizard's page header sits, and a message loop.
#include <windows.h>

static LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MinimalWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "MinimalBenchWindow";
    if (!RegisterClassA(&windowClass)) return 1;
    const DWORD style = WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION;
    RECT outer{0, 0, 495, 328};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowA("MinimalBenchWindow", "Minimal", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    CreateWindowA("static", "О пакете:", WS_CHILD | WS_VISIBLE, 80, 76, 340, 28, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
