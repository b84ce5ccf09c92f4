#include "ConfigurationChooser.h"

#include "AnsiText.h"
#include "ControlIds.h"
#include "MainWindow.h"

namespace {

struct Choice {
    HWND list = nullptr;
    bool done = false;
    std::optional<std::size_t> picked;
};

} // namespace

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
