#include "Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace {

// Draws in a 16 by 16 grid placed at left, top and scaled.
class Grid {
public:
    Grid(HDC dc, int left, int top, double scale) : dc_(dc), left_(left), top_(top), scale_(scale)
    {
    }

    int X(double x) const { return left_ + static_cast<int>(std::lround(x * scale_)); }
    int Y(double y) const { return top_ + static_cast<int>(std::lround(y * scale_)); }

    void Box(double x0, double y0, double x1, double y1, COLORREF fill,
             COLORREF line = RGB(0, 0, 0))
    {
        Polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, fill, line);
    }
    void Polygon(std::initializer_list<std::pair<double, double>> points, COLORREF fill,
                 COLORREF line = RGB(0, 0, 0))
    {
        POINT at[12];
        int n = 0;
        for (const auto& [x, y] : points)
            if (n < 12) at[n++] = {X(x), Y(y)};
        const HBRUSH brush = ::CreateSolidBrush(fill);
        const HPEN pen = ::CreatePen(PS_SOLID, Width(), line);
        const HGDIOBJ oldBrush = ::SelectObject(dc_, brush), oldPen = ::SelectObject(dc_, pen);
        ::Polygon(dc_, at, n);
        ::SelectObject(dc_, oldBrush), ::SelectObject(dc_, oldPen);
        ::DeleteObject(brush), ::DeleteObject(pen);
    }
    void Line(double x0, double y0, double x1, double y1, COLORREF colour)
    {
        const HPEN pen = ::CreatePen(PS_SOLID, Width(), colour);
        const HGDIOBJ old = ::SelectObject(dc_, pen);
        ::MoveToEx(dc_, X(x0), Y(y0), nullptr);
        ::LineTo(dc_, X(x1), Y(y1));
        ::SelectObject(dc_, old);
        ::DeleteObject(pen);
    }

private:
    int Width() const { return std::max(1, static_cast<int>(scale_)); }
    HDC dc_;
    int left_, top_;
    double scale_;
};

const COLORREF kYellow = RGB(255, 255, 0), kGrey = RGB(192, 192, 192), kDark = RGB(128, 128, 128);

} // namespace

void DrawFolderPicture(HDC dc, int left, int top, double scale, TFolderPicture kind)
{
    Grid grid(dc, left, top, scale);
    grid.Polygon({{1, 4}, {6, 4}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}, kYellow);
    if (kind == TFolderPicture::Closed) return;
    // Open: the front leans back; the current folder's front is blue, so it stands out.
    const COLORREF front = kind == TFolderPicture::Current ? RGB(0, 64, 192) : RGB(255, 255, 192);
    grid.Polygon({{3, 8}, {15, 8}, {13, 13}, {1, 13}}, front);
}

void DrawDrivePicture(HDC dc, int left, int top, double scale, TVolumeKind kind)
{
    Grid grid(dc, left, top, scale);
    switch (kind) {
    case TVolumeKind::Removable: // a diskette
        grid.Box(2, 1, 14, 15, RGB(0, 0, 128));
        grid.Box(5, 1, 11, 6, kGrey);
        grid.Box(4, 9, 12, 15, RGB(255, 255, 255));
        break;
    case TVolumeKind::Optical: // a disc
        grid.Polygon({{8, 1}, {13, 3}, {15, 8}, {13, 13}, {8, 15}, {3, 13}, {1, 8}, {3, 3}}, kGrey);
        grid.Box(7, 7, 9, 9, RGB(255, 255, 255));
        break;
    case TVolumeKind::Network: // a drive under a cable
        grid.Box(1, 4, 15, 10, kGrey);
        grid.Line(8, 10, 8, 14, RGB(0, 0, 0));
        grid.Line(3, 14, 13, 14, RGB(0, 0, 0));
        grid.Box(11, 6, 13, 8, RGB(0, 255, 0), RGB(0, 128, 0));
        break;
    case TVolumeKind::Ram: // a memory chip
        grid.Box(2, 5, 14, 11, RGB(0, 128, 0));
        for (int x = 3; x <= 13; x += 2) {
            grid.Line(x, 3, x, 5, kDark);
            grid.Line(x, 11, x, 13, kDark);
        }
        break;
    case TVolumeKind::Fixed: // a drive with its light
        grid.Box(1, 5, 15, 11, kGrey);
        grid.Box(11, 8, 13, 9, RGB(0, 255, 0), RGB(0, 128, 0));
        break;
    }
}

HBITMAP MakeOpenButtonPicture(double scale)
{
    const int size = static_cast<int>(std::lround(16 * scale));
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP picture = ::CreateCompatibleBitmap(screen, size, size);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, picture);
    const RECT all = {0, 0, size, size};
    ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    Grid grid(dc, 0, 0, scale);
    const COLORREF ray = RGB(224, 176, 0);
    for (const auto& [x0, y0, x1, y1] : {std::array<double, 4>{8, 0.5, 8, 2},
                                         {8, 14, 8, 15.5},
                                         {0.5, 8, 2, 8},
                                         {14, 8, 15.5, 8},
                                         {2, 2, 3, 3},
                                         {14, 2, 13, 3},
                                         {2, 14, 3, 13},
                                         {14, 14, 13, 13}})
        grid.Line(x0, y0, x1, y1, ray);
    grid.Polygon({{4.5, 3.5}, {9.5, 3.5}, {11.5, 5.5}, {11.5, 12.5}, {4.5, 12.5}},
                 RGB(255, 255, 255));
    for (const double y : {7.5, 9.5, 11.5})
        grid.Line(6, y, y == 11.5 ? 9 : 10, y, RGB(0, 0, 128));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return picture;
}
