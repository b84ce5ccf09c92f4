#include "MainWindow.h"

#include "ControlIds.h"
#include "Pictures.h"

#include "platform/File.h"
#include "platform/InOutError.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kClientWidth = 481, kClientHeight = 193, kLineHeight = 16, kIndent = 8;
constexpr std::size_t kMaxSubdirectories = 32767;
constexpr char kPanelClass[] = "TPanel";

enum Style { Regular = 0, Bold = 1, Italic = 2, Underlined = 4 };

std::wstring Wide(const std::string& text, UINT codePage)
{
    const int size =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          size);
    return wide;
}

// UTF-8 text in the ANSI code page; nothing when a character has no place there.
std::optional<std::string> Ansi(const std::string& utf8)
{
    const std::wstring wide = Wide(utf8, CP_UTF8);
    BOOL lost = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lost);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size,
                          nullptr, &lost);
    if (lost) return std::nullopt;
    return ansi;
}

std::string TextOf(HWND window)
{
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string ProcessDirectory()
{
    std::string directory(::GetCurrentDirectoryA(0, nullptr), '\0');
    directory.resize(
        ::GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data()));
    return directory;
}

// The drive letter a path begins with, lower case; none without "X:".
char DriveLetterOf(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':' || ::IsDBCSLeadByte(static_cast<BYTE>(path[0])))
        return '\0';
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return letter >= 'a' && letter <= 'z' ? letter : '\0';
}

// What the volume of a path does with the case of names.
DWORD VolumeFlags(char letter)
{
    const std::string root = {letter, ':', '\\'};
    DWORD flags = 0;
    const UINT was = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        flags = 0;
    ::SetErrorMode(was);
    return flags;
}

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

// The first of the faces installed here (the Japanese system font, its English name, the IPA
// font of the same measures), else the system's dialog font.
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

// Places the open dialog across the screen's middle, its top at a third of the free height.
UINT_PTR CALLBACK PlaceOpenDialog(HWND child, UINT message, WPARAM, LPARAM l)
{
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(l)->code == CDN_INITDONE) {
        const HWND dialog = ::GetParent(child);
        RECT r;
        ::GetWindowRect(dialog, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        ::SetWindowPos(dialog, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - height) / 3, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    }
    return 0;
}

// The list of an archive's configurations, in a small window of its own, modal.
struct Choice {
    HWND list = nullptr;
    bool done = false;
    std::optional<std::size_t> picked;
};

LRESULT CALLBACK ChooserProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    auto* choice = reinterpret_cast<Choice*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (choice != nullptr && message == WM_COMMAND) {
        const bool chosen =
            LOWORD(w) == IDOK || (LOWORD(w) == ChooserList && HIWORD(w) == LBN_DBLCLK);
        if (chosen || LOWORD(w) == IDCANCEL) {
            const LRESULT row = ::SendMessageA(choice->list, LB_GETCURSEL, 0, 0);
            if (chosen && row != LB_ERR) choice->picked = static_cast<std::size_t>(row);
            choice->done = true;
            return 0;
        }
    }
    if (choice != nullptr && message == WM_CLOSE) {
        choice->done = true;
        return 0;
    }
    return ::DefWindowProcA(window, message, w, l);
}

} // namespace

TfrmMain::TfrmMain(HINSTANCE instance) : instance_(instance)
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    const HDC screen = ::GetDC(nullptr);
    dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    WNDCLASSEXA main = {};
    main.cbSize = sizeof main;
    main.lpfnWndProc = WindowProc;
    main.hInstance = instance;
    main.hIcon = ::LoadIconA(instance, "MAINICON");
    main.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = kMainWindowClass;
    ::RegisterClassExA(&main);
    WNDCLASSEXA panel = main;
    panel.lpfnWndProc = PanelProc;
    panel.hIcon = nullptr;
    panel.lpszClassName = kPanelClass;
    ::RegisterClassExA(&panel);
    WNDCLASSEXA chooser = main;
    chooser.lpfnWndProc = ChooserProc;
    chooser.lpszClassName = kChooserClass;
    ::RegisterClassExA(&chooser);

    const DWORD style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, S(kClientWidth), S(kClientHeight)};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    window_ = ::CreateWindowExA(0, kMainWindowClass, kMainWindowCaption, style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, this);
    directory_ = ProcessDirectory();
    CreateControls();
    RunHandler([this] {
        if (const char letter = DriveLetterOf(directory_)) SetDrive(letter);
    });
    ::SetFocus(edInFile_);
}

TfrmMain::~TfrmMain()
{
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    for (const HFONT font : fonts_)
        ::DeleteObject(font);
    if (openPicture_ != nullptr) ::DeleteObject(openPicture_);
}

HWND TfrmMain::Control(const char* windowClass, const char* text, DWORD style, DWORD extendedStyle,
                       HWND parent, int id, int left, int top, int width, int height, HFONT font)
{
    const HWND control = ::CreateWindowExA(
        extendedStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, S(left), S(top), S(width),
        S(height), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void TfrmMain::CreateControls()
{
    const int height = S(13);
    const auto font = [&](std::initializer_list<const wchar_t*> faces, int style) {
        fonts_.push_back(MakeFont(faces, height, style));
        return fonts_.back();
    };
    const auto window = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic"};
    const auto panel = {L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic"};
    ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font(window, Regular)), FALSE);
    const HFONT regular = font(panel, Regular), bold = font(panel, Bold);
    const HFONT heading = font(panel, Bold | Underlined), boldItalic = font(panel, Bold | Italic);

    // Created in the order Tab moves through them: each panel's controls, Panel1's first.
    const DWORD panelStyle = WS_CLIPSIBLINGS;
    panel1_ = Control(kPanelClass, "", panelStyle, WS_EX_CONTROLPARENT, window_, Panel1, 0, 0, 249,
                      kClientHeight, regular);
    panel2_ = Control(kPanelClass, "", panelStyle, WS_EX_CONTROLPARENT, window_, Panel2, 249, 0,
                      232, kClientHeight, regular);
    AutoSize(Control("STATIC", "Input Configuration File", SS_LEFT | SS_NOPREFIX, 0, panel1_,
                     Label7, 16, 8, 193, 13, heading));
    edInFile_ = Control("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, panel1_,
                        edInFile, 8, 32, 201, 21, regular);
    const HWND open = Control("BUTTON", "", BS_PUSHBUTTON | BS_BITMAP, 0, panel1_, SpeedButton1,
                              216, 32, 25, 25, regular);
    openPicture_ = MakeOpenButtonPicture(dpi_ / 96.0);
    ::SendMessageA(open, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(openPicture_));
    ::SetWindowSubclass(open, ControlProc, SpeedButton1, reinterpret_cast<DWORD_PTR>(this));
    btnConv_ = Control("BUTTON", "CONVERT", WS_TABSTOP | BS_PUSHBUTTON, 0, panel1_, btnConv, 64, 64,
                       105, 33, bold);
    lblPalCount_ =
        Control("STATIC", "0", SS_RIGHT, 0, panel1_, lblPalCount, 56, 104, 57, 13, regular);
    AutoSize(
        Control("STATIC", "Pallet(s)", SS_LEFT, 0, panel1_, Label1, 120, 104, 63, 13, regular));
    lblCelCount_ =
        Control("STATIC", "0", SS_RIGHT, 0, panel1_, lblCelCount, 56, 120, 57, 13, regular);
    AutoSize(Control("STATIC", "Cell(s)", SS_LEFT, 0, panel1_, Label2, 120, 120, 49, 13, regular));
    AutoSize(
        Control("STATIC", "Select Set", SS_LEFT, 0, panel1_, Label3, 40, 144, 73, 13, regular));
    edSelSet_ = Control("EDIT", "0", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, panel1_,
                        edSelSet, 136, 144, 49, 22, regular);
    // The arrows take their room from the field's right end; the field keeps the steps itself.
    const HWND arrows = Control(UPDOWN_CLASSA, "", UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, 0, panel1_,
                                edSelSetButtons, 0, 0, 0, 0, regular);
    ::SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edSelSet_), 0);
    // The arrows overlap the field's border: the field widens by that much, so that both span 49.
    RECT field, buttons;
    ::GetWindowRect(edSelSet_, &field), ::GetWindowRect(arrows, &buttons);
    if (const int more = S(49) - (buttons.right - field.left); more > 0) {
        ::SetWindowPos(edSelSet_, nullptr, 0, 0, field.right - field.left + more,
                       field.bottom - field.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::MapWindowPoints(HWND_DESKTOP, panel1_, reinterpret_cast<POINT*>(&buttons), 2);
        ::SetWindowPos(arrows, nullptr, buttons.left + more, buttons.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SendMessageA(arrows, UDM_SETRANGE32, kFirstSet, kLastSet);
    ::SendMessageA(arrows, UDM_SETPOS32, 0, kFirstSet);
    UDACCEL step = {0, 1};
    ::SendMessageA(arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
    ::SetWindowSubclass(edSelSet_, ControlProc, edSelSet, reinterpret_cast<DWORD_PTR>(this));

    AutoSize(Control("STATIC", "Output Bmp files Location", SS_LEFT | SS_NOPREFIX, 0, panel2_,
                     Label4, 16, 8, 201, 13, heading));
    label6_ = Control("STATIC", "", SS_LEFT | SS_NOPREFIX, 0, panel2_, Label6, 16, 32, 201, 13,
                      boldItalic);
    driveCombo_ =
        Control("COMBOBOX", "",
                WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                panel2_, DriveComboBox2, 16, 152, 201, 19 + 8 * kLineHeight, bold);
    directoryList_ = Control("LISTBOX", "",
                             WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED |
                                 LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                             WS_EX_CLIENTEDGE, panel2_, DirectoryListBox2, 16, 48, 201, 97, bold);
    ::SetWindowSubclass(directoryList_, ControlProc, DirectoryListBox2,
                        reinterpret_cast<DWORD_PTR>(this));
    // The folder list after the drive chooser in Tab's order, before it on the screen: no overlap.
    ::SetWindowPos(directoryList_, driveCombo_, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The chooser's field 19 high whatever the system adds around the picture and text.
    RECT combo;
    ::GetWindowRect(driveCombo_, &combo);
    const LRESULT fieldHeight =
        ::SendMessageA(driveCombo_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    ::SendMessageA(driveCombo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   fieldHeight + S(19) - (combo.bottom - combo.top));
    drives_ = MachineDrives();
    for (const TDriveLine& line : drives_)
        ::SendMessageA(driveCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
    BuildDirectoryLines();
    ShowDirectoryInLabel();
}

void TfrmMain::AutoSize(HWND label)
{
    const HDC dc = ::GetDC(label);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    const std::string text = TextOf(label);
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    ::SetWindowPos(label, nullptr, 0, 0, size.cx, S(13),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TfrmMain::Run(int show)
{
    ::ShowWindow(window_, show);
    ::UpdateWindow(window_);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (::IsWindow(window_) && ::IsDialogMessageA(window_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

void TfrmMain::SetInputFile(const std::string& path)
{
    char full[MAX_PATH * 4] = {};
    const DWORD size = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    ::SetWindowTextA(edInFile_, size > 0 && size < sizeof full ? full : path.c_str());
}

void TfrmMain::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        try {
            ShowError(CurrentErrorBoxText());
        } catch (...) { // no memory even for the box: the event ends unshown
        }
    }
}

void TfrmMain::ShowError(const std::string& text)
{
    // A held button or a drag would otherwise keep the mouse while the box waits for OK.
    if (const HWND captured = ::GetCapture()) ::SendMessageA(captured, WM_CANCELMODE, 0, 0);
    char program[MAX_PATH * 4] = {};
    ::GetModuleFileNameA(nullptr, program, sizeof program);
    const std::string title = ApplicationTitleFor(program);
    const HWND owner = ::IsWindow(window_) ? window_ : nullptr;
    // The messages are UTF-8 here; the box shows them in the ANSI code page (Shift-JIS on a
    // Japanese system), or in Unicode where that code page lacks a character.
    if (const std::optional<std::string> ansi = Ansi(text))
        ::MessageBoxA(owner, ansi->c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
    else
        ::MessageBoxW(owner, Wide(text, CP_UTF8).c_str(), Wide(title, CP_ACP).c_str(),
                      MB_OK | MB_ICONSTOP);
}

LRESULT CALLBACK TfrmMain::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TfrmMain*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<TfrmMain*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, w, l);
    LRESULT result = 0;
    self->RunHandler([&] { result = self->Handle(message, w, l); });
    return result;
}

// A panel: the colour of button faces, a raised outer and a lowered inner bevel; what its
// controls tell it goes on to the window.
LRESULT CALLBACK TfrmMain::PanelProc(HWND panel, UINT message, WPARAM w, LPARAM l)
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

LRESULT CALLBACK TfrmMain::ControlProc(HWND control, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                       DWORD_PTR self)
{
    LRESULT result = 0;
    auto* window = reinterpret_cast<TfrmMain*>(self);
    window->RunHandler([&] { result = window->HandleControl(control, message, w, l); });
    return result;
}

LRESULT TfrmMain::HandleControl(HWND control, UINT message, WPARAM w, LPARAM l)
{
    const auto key = [l] { return l != 0 ? reinterpret_cast<const MSG*>(l)->wParam : 0; };
    if (control == edSelSet_) {
        switch (message) {
        case WM_GETDLGCODE: // Enter comes here, to be refused
            return ::DefSubclassProc(control, message, w, l) |
                   (key() == VK_RETURN ? DLGC_WANTMESSAGE : 0);
        case WM_KEYDOWN:
            if (w == VK_UP || w == VK_DOWN) {
                StepSetSelector(w == VK_UP ? 1 : -1);
                return 0;
            }
            break;
        case WM_CHAR: {
            char decimal[8] = {};
            ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
            const std::u32string separator(decimal, decimal + std::strlen(decimal));
            if (!SetSelectorTakes(static_cast<char32_t>(static_cast<unsigned char>(w)),
                                  separator)) {
                ::MessageBeep(0);
                return 0;
            }
            break;
        }
        case WM_IME_CHAR:
            ::MessageBeep(0); // no digit, sign or separator comes through the input method
            return 0;
        case WM_KILLFOCUS: // only a move to another control of the window counts as leaving it
            if (w != 0 && ::IsChild(window_, reinterpret_cast<HWND>(w))) {
                const std::string now = TextOf(control), after = SetTextOnLeaving(now);
                if (after != now) ::SetWindowTextA(control, after.c_str());
            }
            break;
        default:
            break;
        }
    } else if (control == directoryList_) {
        if (message == WM_GETDLGCODE)
            return ::DefSubclassProc(control, message, w, l) |
                   (key() == VK_RETURN ? DLGC_WANTMESSAGE : 0);
        if (message == WM_KEYDOWN && w == VK_RETURN) {
            OpenDirectoryLine(static_cast<int>(::SendMessageA(control, LB_GETCURSEL, 0, 0)));
            return 0;
        }
        if (message == WM_CHAR && w == '\r') return 0;
    } else if (message == WM_SETFOCUS) { // the picture button is worked with the mouse only
        if (const HWND was = reinterpret_cast<HWND>(w); was != nullptr && ::IsChild(window_, was))
            ::SetFocus(was);
        return 0;
    }
    return ::DefSubclassProc(control, message, w, l);
}

LRESULT TfrmMain::Handle(UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(w)) {
        case SpeedButton1:
            if (HIWORD(w) == BN_CLICKED) steps_.SpeedButton1Click();
            return 0;
        case btnConv:
            if (HIWORD(w) == BN_CLICKED) steps_.btnConvClick();
            return 0;
        case DriveComboBox2:
            if (HIWORD(w) == CBN_SELCHANGE) {
                const LRESULT row = ::SendMessageA(driveCombo_, CB_GETCURSEL, 0, 0);
                if (row >= 0 && static_cast<std::size_t>(row) < drives_.size())
                    SetDrive(drives_[static_cast<std::size_t>(row)].letter);
            }
            return 0;
        case DirectoryListBox2:
            if (HIWORD(w) == LBN_DBLCLK)
                OpenDirectoryLine(
                    static_cast<int>(::SendMessageA(directoryList_, LB_GETCURSEL, 0, 0)));
            return 0;
        default:
            return 0;
        }
    case WM_NOTIFY:
        if (const auto* step = reinterpret_cast<const NMUPDOWN*>(l);
            step->hdr.code == UDN_DELTAPOS) {
            StepSetSelector(step->iDelta > 0 ? 1 : -1);
            return 1; // the arrows keep no number of their own
        }
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = static_cast<UINT>(
            reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemID == static_cast<UINT>(-1)
                ? S(19) - 6
                : S(kLineHeight));
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
    case WM_ACTIVATE: // back to the control that had the focus, else the input field
        if (LOWORD(w) != WA_INACTIVE && ::GetFocus() == nullptr) ::SetFocus(edInFile_);
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window_, message, w, l);
    }
}

void TfrmMain::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem,
               ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int room = item.rcItem.bottom - item.rcItem.top;
    const double scale = std::min(dpi_ / 96.0, room / 16.0);
    int left = item.rcItem.left + S(2);
    const int top = item.rcItem.top + (room - static_cast<int>(16 * scale)) / 2;
    std::string text;
    if (item.CtlID == DriveComboBox2 && item.itemID < drives_.size()) {
        DrawDrivePicture(item.hDC, left, top, scale, drives_[item.itemID].kind);
        text = drives_[item.itemID].text;
    } else if (item.CtlID == DirectoryListBox2 && item.itemID < lines_.size()) {
        left += S(kIndent) * lines_[item.itemID].depth;
        DrawFolderPicture(item.hDC, left, top, scale, lines_[item.itemID].picture);
        text = lines_[item.itemID].text;
    }
    RECT r = item.rcItem;
    r.left = left + static_cast<int>(18 * scale);
    ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(item.hDC, &item.rcItem);
}

void TfrmMain::StepSetSelector(int steps)
{
    ::SetWindowTextA(edSelSet_, SteppedSetText(TextOf(edSelSet_), steps).c_str());
    ::SendMessageA(edSelSet_, EM_SETSEL, 0, -1);
}

void TfrmMain::SetDrive(char letter)
{
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (letter == '\0' || letter == drive_) return;
    drive_ = letter;
    const auto line = std::find_if(drives_.begin(), drives_.end(),
                                   [letter](const TDriveLine& d) { return d.letter == letter; });
    ::SendMessageA(driveCombo_, CB_SETCURSEL, line == drives_.end() ? -1 : line - drives_.begin(),
                   0);
    steps_.DriveComboBox2Change();
}

void TfrmMain::MoveListToChosenDrive()
{
    if (drive_ == '\0' || drive_ == DriveLetterOf(directory_)) return;
    SetDirectory(std::string{drive_, ':'});
}

void TfrmMain::SetDirectory(const std::string& path)
{
    if (path.empty()) return;
    const char listDrive = DriveLetterOf(directory_);
    const bool caseSensitive = (VolumeFlags(listDrive) & FILE_CASE_SENSITIVE_SEARCH) != 0;
    if (caseSensitive ? path == directory_ : ::lstrcmpiA(path.c_str(), directory_.c_str()) == 0)
        return;
    const char drive =
        DriveLetterOf(path) != '\0' ? DriveLetterOf(path) : DriveLetterOf(ProcessDirectory());
    if (drive != '\0' && drive != listDrive) {
        const std::string driveOnly = {drive, ':'};
        if (!::SetCurrentDirectoryA(driveOnly.c_str()))
            throw EInOutError::FromSystemError(static_cast<int>(::GetLastError()), driveOnly);
    }
    if (!(path.size() == 2 && DriveLetterOf(path) != '\0') && !::SetCurrentDirectoryA(path.c_str()))
        throw EInOutError::FromSystemError(static_cast<int>(::GetLastError()), path);
    directory_ = ProcessDirectory();
    BuildDirectoryLines();
    ShowDirectoryInLabel();
}

void TfrmMain::BuildDirectoryLines()
{
    ::SendMessageA(directoryList_, LB_RESETCONTENT, 0, 0);
    lines_.clear();
    const char letter = DriveLetterOf(directory_);
    if (letter == '\0') return; // a network path without a drive: no lines to offer
    const DWORD flags = VolumeFlags(letter);
    const bool asStored = (flags & (FILE_CASE_PRESERVED_NAMES | FILE_CASE_SENSITIVE_SEARCH)) != 0;
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const std::string pattern =
        directory_ + (directory_.back() == '\\' && directory_.size() == 3 ? "*" : "\\*");
    if (const HANDLE find = ::FindFirstFileA(pattern.c_str(), &entry);
        find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                (entry.dwFileAttributes & skip) == 0 && name != "." && name != "..")
                names.push_back(name);
        } while (names.size() < kMaxSubdirectories && ::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(),
                                -1) == CSTR_LESS_THAN;
    });
    lines_ = DirectoryLines(directory_.substr(0, 3), directory_, names, '\\');
    const HDC dc = ::GetDC(directoryList_);
    const HGDIOBJ old = ::SelectObject(
        dc, reinterpret_cast<HFONT>(::SendMessageA(directoryList_, WM_GETFONT, 0, 0)));
    int widest = 0, current = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        TDirectoryLine& line = lines_[i];
        if (!asStored && i > 0) line.text = LowerAsciiLetters(line.text);
        ::SendMessageA(directoryList_, LB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(line.text.c_str()));
        SIZE size = {0, 0};
        ::GetTextExtentPoint32A(dc, line.text.c_str(), static_cast<int>(line.text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx) + S(kIndent) * line.depth + S(24));
        if (line.picture == TFolderPicture::Current) current = static_cast<int>(i);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(directoryList_, dc);
    ::SendMessageA(directoryList_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    ::SendMessageA(directoryList_, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void TfrmMain::OpenDirectoryLine(int row)
{
    if (row >= 0 && static_cast<std::size_t>(row) < lines_.size())
        SetDirectory(lines_[static_cast<std::size_t>(row)].path);
}

void TfrmMain::ShowDirectoryInLabel()
{
    const HDC dc = ::GetDC(label6_);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(label6_, WM_GETFONT, 0, 0)));
    const auto width = [dc](const std::string& text) {
        SIZE size = {0, 0};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const std::string shown = MinimizeName(directory_, width, S(201), '\\');
    ::SelectObject(dc, old);
    ::ReleaseDC(label6_, dc);
    ::SetWindowTextA(label6_, shown.c_str());
    AutoSize(label6_);
    ::InvalidateRect(panel2_, nullptr, TRUE);
}

std::optional<std::string> TfrmMain::ExecuteOpenDialog()
{
    char file[MAX_PATH] = {};
    openedFile_.copy(file, sizeof file - 1);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter =
        "CNF file (*.cnf)\0*.cnf\0all files (*.*)\0*.*\0KiSS archives (*.lzh;*.zip)\0*.lzh;*.zip\0";
    dialog.nFilterIndex = openedFilter_;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLEHOOK;
    dialog.lpfnHook = PlaceOpenDialog;
    if (!::GetOpenFileNameA(&dialog)) return std::nullopt;
    openedFile_ = file;
    openedFilter_ = dialog.nFilterIndex;
    // The chosen file's folder becomes the process's current directory.
    const std::string folder = openedFile_.substr(0, dialog.nFileOffset);
    ::SetCurrentDirectoryA(folder.c_str());
    return openedFile_;
}

std::optional<std::size_t> TfrmMain::ChooseConfiguration(const std::vector<std::string>& names)
{
    char program[MAX_PATH * 4] = {};
    ::GetModuleFileNameA(nullptr, program, sizeof program);
    const HWND chooser = ::CreateWindowExA(
        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kChooserClass,
        ApplicationTitleFor(program).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
        CW_USEDEFAULT, S(280), S(230), window_, nullptr, instance_, nullptr);
    const HFONT font = fonts_.front();
    Control("STATIC", Ansi("構成ﾌｧｲﾙ:").value_or("Configuration:").c_str(), SS_LEFT, 0, chooser, -1,
            8, 8, 250, 13, font);
    Choice choice;
    choice.list =
        Control("LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                WS_EX_CLIENTEDGE, chooser, ChooserList, 8, 26, 250, 130, font);
    for (const std::string& name : names)
        ::SendMessageA(choice.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageA(choice.list, LB_SETCURSEL, 0, 0);
    Control("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, chooser, IDOK, 96, 164, 78, 26, font);
    Control("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, chooser, IDCANCEL, 180, 164, 78, 26,
            font);
    ::SetWindowLongPtrA(chooser, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&choice));
    ::EnableWindow(window_, FALSE);
    ::ShowWindow(chooser, SW_SHOW);
    ::SetFocus(choice.list);
    MSG message;
    while (!choice.done && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(chooser, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    if (message.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(message.wParam));
    ::EnableWindow(window_, TRUE);
    ::SetWindowLongPtrA(chooser, GWLP_USERDATA, 0);
    ::DestroyWindow(chooser);
    ::SetActiveWindow(window_);
    return choice.picked;
}

std::string TfrmMain::InputText()
{
    return TextOf(edInFile_);
}

void TfrmMain::SetInputText(const std::string& text)
{
    ::SetWindowTextA(edInFile_, text.c_str());
}

void TfrmMain::ChooseDriveOf(const std::string& path)
{
    SetDrive(DriveLetterOf(path));
}

void TfrmMain::BeginBusy()
{
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
}

void TfrmMain::EndBusy()
{
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
}

void TfrmMain::ShowPaletteCount(const std::string& text)
{
    ::SetWindowTextA(lblPalCount_, text.c_str());
}

void TfrmMain::ShowCelCount(const std::string& text)
{
    ::SetWindowTextA(lblCelCount_, text.c_str());
}

std::string TfrmMain::SetSelectorText()
{
    return TextOf(edSelSet_);
}

void TfrmMain::StartEditor(const std::string& reportPath)
{
    platform::OpenInTextEditor(reportPath);
}
