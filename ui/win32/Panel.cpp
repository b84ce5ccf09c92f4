#include "Panel.h"

namespace {

// A 1-pixel bevel: top and left in one colour, bottom and right in the other.
void Bevel(HDC dc, const RECT& r, int topLeft, int bottomRight)
{
    const HPEN light = ::CreatePen(PS_SOLID, 1, ::GetSysColor(topLeft));
    const HPEN dark = ::CreatePen(PS_SOLID, 1, ::GetSysColor(bottomRight));
    const HGDIOBJ old = ::SelectObject(dc, light);
    ::MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    ::LineTo(dc, r.left, r.top);
    ::LineTo(dc, r.right - 1, r.top);
    ::SelectObject(dc, dark);
    ::LineTo(dc, r.right - 1, r.bottom - 1);
    ::LineTo(dc, r.left - 1, r.bottom - 1);
    ::SelectObject(dc, old);
    ::DeleteObject(light), ::DeleteObject(dark);
}

} // namespace

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(panel, &paint);
        RECT r;
        ::GetClientRect(panel, &r);
        Bevel(dc, r, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        ::InflateRect(&r, -1, -1);
        Bevel(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        ::EndPaint(panel, &paint);
        return 0;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return ::SendMessageA(::GetParent(panel), message, w, l);
    default:
        return ::DefWindowProcA(panel, message, w, l);
    }
}
