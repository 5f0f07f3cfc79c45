// The splash window on Windows: a borderless popup of the bitmap's size, centred on the
// screen, with its own message loop, closed by a key press or by timer 1.
// Only Windows code belongs in this file.
#include "platform/splash_display.h"

#include <new>

#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

constexpr char kClassName[] = "REDOZUZAZ";
constexpr int kBitmapResource = 100;
constexpr UINT_PTR kCloseTimer = 1;
// Asks the window's own thread to re-arm timer 1: wParam holds the delay in
// milliseconds as an int, negative for none. Other threads post it rather than call
// KillTimer and SetTimer on a window they do not own.
constexpr UINT kAutoCloseMessage = WM_APP + 1;

HBITMAP bitmapOf(HWND window) {
    return reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Copies the bitmap unscaled onto the client area, through a memory device context.
void paint(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    PAINTSTRUCT paintInfo;
    HDC target = BeginPaint(window, &paintInfo);
    HDC memory = CreateCompatibleDC(target);
    if (memory && bitmapOf(window)) {
        HGDIOBJ previous = SelectObject(memory, bitmapOf(window));
        BitBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0,
               SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
    EndPaint(window, &paintInfo);
}

void rearmCloseTimer(HWND window, int milliseconds) {
    KillTimer(window, kCloseTimer);
    if (milliseconds >= 0) SetTimer(window, kCloseTimer, static_cast<UINT>(milliseconds), nullptr);
}

// Any ordinary key and the timer close the window; clicks and system keys (Alt
// combinations) are swallowed before the default handling could act on them.
LRESULT CALLBACK splashProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint(window);
            return 0;
        case WM_KEYDOWN:
        case WM_TIMER:
            PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        case kAutoCloseMessage:
            rearmCloseTimer(window, static_cast<int>(wParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
        case WM_SYSKEYDOWN:
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool registerSplashClass(HINSTANCE module) {
    WNDCLASSA known;
    if (GetClassInfoA(module, kClassName, &known)) return true;
    WNDCLASSA splashClass{};
    splashClass.lpfnWndProc = splashProcedure;
    splashClass.hInstance = module;
    splashClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    splashClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    splashClass.lpszClassName = kClassName;
    return RegisterClassA(&splashClass) != 0;
}

class WindowsSplashDisplay final : public SplashDisplay {
public:
    explicit WindowsSplashDisplay(HWND window) : window_(window) {}
    ~WindowsSplashDisplay() override {
        if (IsWindow(window_)) DestroyWindow(window_);
    }
    void* windowHandle() const override { return window_; }
    void runUntilClosed() override {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    void postAutoClose(int milliseconds) override {
        PostMessageA(window_, kAutoCloseMessage, static_cast<WPARAM>(milliseconds), 0);
    }
    void postClose() override { PostMessageA(window_, WM_CLOSE, 0, 0); }

private:
    HWND window_;
};

}  // namespace

SplashPicture loadSplashPicture() {
    return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBitmapResource));
}

void freeSplashPicture(SplashPicture picture) {
    if (picture) DeleteObject(static_cast<HBITMAP>(picture));
}

SplashDisplay* openSplashDisplay(SplashPicture picture, const char* title) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    BITMAP size{};
    if (!registerSplashClass(module) || !GetObjectA(picture, sizeof size, &size)) return nullptr;
    // Integer division toward zero: a picture larger than the screen starts off-screen.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.bmWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.bmHeight) / 2;
    HWND window = CreateWindowExA(0, kClassName, title, WS_POPUP | WS_VISIBLE, x, y, size.bmWidth,
                                  size.bmHeight, nullptr, nullptr, module, nullptr);
    if (!window) return nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
    WindowsSplashDisplay* display = new (std::nothrow) WindowsSplashDisplay(window);
    if (!display) {
        DestroyWindow(window);
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return display;
}

}  // namespace oru::platform
