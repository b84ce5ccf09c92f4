// Converts a doll through kissconv.exe and saves a picture of its window afterwards, frame and
// all, as the screen shows it. Usage: window_screenshot_win32 KISSCONV.EXE FOLDER CONFIG.cnf
// PICTURE.png; the window starts in FOLDER, where the files go.
#include "ui/win32/ControlIds.h"

#include "imaging/MemoryStream.h"
#include "imaging/PngImage.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

HWND Await(HWND (*found)(), int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (const HWND window = found()) return window;
        ::Sleep(50);
    }
    return nullptr;
}

HWND Child(HWND parent, int id)
{
    for (HWND panel = ::GetWindow(parent, GW_CHILD); panel != nullptr;
         panel = ::GetWindow(panel, GW_HWNDNEXT))
        if (const HWND control = ::GetDlgItem(panel, id)) return control;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: window_screenshot_win32 KISSCONV.EXE FOLDER CONFIG.cnf PICTURE.png\n");
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string command = std::string("\"") + argv[1] + '"';
    if (!::CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, argv[2],
                          &startup, &process))
        return std::fprintf(stderr, "window_screenshot_win32: %s cannot be started\n", argv[1]), 1;
    const HWND window = Await([] { return ::FindWindowA(kMainWindowClass, nullptr); }, 30);
    if (window == nullptr) return std::fprintf(stderr, "window_screenshot_win32: no window\n"), 1;
    ::SetWindowPos(window, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE);
    ::SendMessageA(Child(window, edInFile), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    ::PostMessageA(Child(window, btnConv), BM_CLICK, 0, 0);
    // The run ends with the editor on the report, which is closed before the picture is taken.
    if (const HWND editor = Await([] { return ::FindWindowA("Notepad", nullptr); }, 60)) {
        ::PostMessageA(editor, WM_CLOSE, 0, 0);
        Await(
            [] {
                return ::FindWindowA("Notepad", nullptr) == nullptr ? ::GetDesktopWindow()
                                                                    : nullptr;
            },
            10);
    }
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(1000);

    RECT r;
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const HDC screen = ::GetDC(nullptr);
    const HDC copy = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP picture = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(copy, picture);
    ::BitBlt(copy, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    std::vector<std::uint8_t> rgb;
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i)
        rgb.insert(rgb.end(), {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]});
    ::SelectObject(copy, old);
    ::DeleteObject(picture), ::DeleteDC(copy), ::ReleaseDC(nullptr, screen);

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    MemoryStream png;
    EncodeTruecolourPng(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), rgb,
                        png);
    png.SaveToFile(argv[4]);
    return 0;
}
