#include "DialogFont.h"

#include <cwchar>

namespace {

bool FontInstalled(const wchar_t* face)
{
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    ::wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

HFONT MakeFont(std::initializer_list<const wchar_t*> faces, int height, int style)
{
    LOGFONTW font = {};
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    for (const wchar_t* face : faces) {
        if (FontInstalled(face)) {
            std::wmemset(font.lfFaceName, L'\0', LF_FACESIZE);
            ::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
            font.lfCharSet = SHIFTJIS_CHARSET;
            break;
        }
    }
    font.lfHeight = -height;
    font.lfWidth = 0;
    font.lfWeight = (style & Bold) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & Italic) != 0;
    font.lfUnderline = (style & Underlined) != 0;
    return ::CreateFontIndirectW(&font);
}
