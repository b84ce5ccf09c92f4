// The main window's output folder: its drive chooser, its folder list and the label above it.
#include "MainWindow.h"

#include "AnsiText.h"
#include "ControlIds.h"
#include "Pictures.h"

#include "platform/InOutError.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxSubdirectories = 32767;

} // namespace

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
