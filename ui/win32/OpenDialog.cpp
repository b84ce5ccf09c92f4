#include "MainWindow.h"

#include <commdlg.h>

namespace {

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

} // namespace

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
