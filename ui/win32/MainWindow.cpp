#include "MainWindow.h"

#include "AnsiText.h"
#include "ConfigurationChooser.h"
#include "ControlIds.h"
#include "DialogFont.h"
#include "Panel.h"
#include "Pictures.h"

#include "platform/File.h"
#include "platform/InOutError.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr int kClientWidth = 481, kClientHeight = 193;

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

void TfrmMain::StepSetSelector(int steps)
{
    ::SetWindowTextA(edSelSet_, SteppedSetText(TextOf(edSelSet_), steps).c_str());
    ::SendMessageA(edSelSet_, EM_SETSEL, 0, -1);
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
