// Drives kissconv.exe by window messages and checks what it shows and does, row by row.
// Usage: kissconv_driver KISSCONV.EXE WORK SAMPLE.CNF TWO.ZIP [ARCHIVE]
//   WORK: an empty folder; the window starts in WORK\out, beside its folders alpha, Beta (with
//   inner), gamma and .hidden. It converts set 1 of SAMPLE.CNF into WORK\out\Beta\inner and set 0
//   of ARCHIVE into WORK\out\alpha; the caller compares those files. TWO.ZIP holds pip.cnf and
//   two.cnf (one cel of the sample's): chosen in the open dialog, it asks which, and two.cnf is
//   converted into WORK\out\two. Prints one line per row and exits with 1 when one failed.
#include "ControlIds.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;
const DWORD started = ::GetTickCount();

void Row(const std::string& name, const std::string& got, const std::string& expected)
{
    if (got == expected) {
        std::printf("ok      %s (%lu ms)\n", name.c_str(), ::GetTickCount() - started);
    } else {
        ++failures;
        std::printf("FAILED  %s: '%s', expected '%s'\n", name.c_str(), got.c_str(), expected.c_str());
    }
    std::fflush(stdout);
}

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                                bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                                nullptr)));
    return bytes;
}

// A window's text through its own message (GetWindowText reads no other process's control).
std::string Text(HWND window)
{
    char text[1024] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string WideText(HWND window)
{
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

void SetText(HWND window, const std::string& text)
{
    ::SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Waits up to seconds for what found returns.
HWND Await(const std::function<HWND()>& found, int seconds = 20)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (const HWND window = found()) return window;
        ::Sleep(50);
    }
    return nullptr;
}

HWND Descendant(HWND parent, int id)
{
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            if (::GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A top-level window of a class owned by owner (a dialog, a message box).
HWND OwnedWindow(HWND owner, const char* windowClass)
{
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, windowClass, nullptr)) != nullptr)
        if (::GetWindow(window, GW_OWNER) == owner && ::IsWindowVisible(window)) return window;
    return nullptr;
}

// A message box's text: its one static control with text.
std::string BoxText(HWND box)
{
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char windowClass[64] = {};
        ::GetClassNameA(child, windowClass, sizeof windowClass);
        if (::lstrcmpiA(windowClass, "Static") == 0 && !WideText(child).empty()) text = WideText(child);
    }
    return text;
}

// Presses CONVERT and waits for the run's end: the editor started on the report ("editor"; it is
// closed), or an error box (its caption and text; OK is pressed).
std::string Convert(HWND main, HWND convert)
{
    ::PostMessageA(convert, BM_CLICK, 0, 0);
    std::string result = "no end in 60 s";
    Await(
        [&]() -> HWND {
            if (const HWND box = OwnedWindow(main, "#32770")) {
                result = WideText(box) + " | " + BoxText(box) + " | " +
                         std::to_string(::GetDlgItem(box, IDOK) != nullptr && ::GetDlgItem(box, IDCANCEL) == nullptr);
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                return Await([main] { return OwnedWindow(main, "#32770") == nullptr ? main : nullptr; });
            }
            if (const HWND editor = ::FindWindowA("Notepad", nullptr)) {
                result = "editor";
                ::PostMessageA(editor, WM_CLOSE, 0, 0);
                return Await([main] { return ::FindWindowA("Notepad", nullptr) == nullptr ? main : nullptr; });
            }
            return nullptr;
        },
        60);
    return result;
}

// The open dialog's file name field (a combo box in the Explorer look, else an edit field).
HWND FileNameField(HWND dialog)
{
    const HWND combo = ::GetDlgItem(dialog, 0x47C);
    return combo != nullptr ? combo : ::GetDlgItem(dialog, 0x480);
}

std::string Box(HWND window)
{
    RECT r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return std::to_string(r.left) + ',' + std::to_string(r.top) + ' ' + std::to_string(r.right - r.left) + 'x' +
           std::to_string(r.bottom - r.top);
}

// A list's lines in the ANSI code page, asked for in Unicode (what crosses between processes whole).
std::string ListLines(HWND list, UINT count, UINT get)
{
    std::string lines;
    const LRESULT n = ::SendMessageW(list, count, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t line[1024] = {};
        ::SendMessageW(list, get, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        char ansi[4096] = {};
        ::WideCharToMultiByte(CP_ACP, 0, line, -1, ansi, sizeof ansi, nullptr, nullptr);
        lines += (i == 0 ? "" : "|") + std::string(ansi);
    }
    return lines;
}

void Click(HWND window, int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP)
{
    ::SendMessageA(window, down, MK_LBUTTON, MAKELPARAM(x, y));
    if (up != 0) ::SendMessageA(window, up, 0, MAKELPARAM(x, y));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: kissconv_driver KISSCONV.EXE WORK SAMPLE.CNF TWO.ZIP [ARCHIVE]\n");
        return 2;
    }
    const std::string program = argv[1], work = argv[2], sample = argv[3], two = argv[4];
    const std::string archive = argc > 5 ? argv[5] : "";
    const std::string out = work + "\\out";
    for (const char* folder : {"", "\\alpha", "\\Beta", "\\Beta\\inner", "\\gamma", "\\.hidden"})
        ::CreateDirectoryA((out + folder).c_str(), nullptr);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string command = '"' + program + '"';
    if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, out.c_str(), &startup,
                          &process)) {
        std::printf("FAILED  start: %s cannot be started (%lu)\n", program.c_str(), ::GetLastError());
        return 1;
    }
    const HWND main = Await([] { return ::FindWindowA(kMainWindowClass, nullptr); });
    if (main == nullptr || !Await([&] { return ::IsWindowVisible(main) ? main : nullptr; })) {
        std::printf("FAILED  start: no window of class %s\n", kMainWindowClass);
        ::TerminateProcess(process.hProcess, 1);
        return 1;
    }
    const auto at = [main](int id) { return Descendant(main, id); };
    RECT client;
    ::GetClientRect(main, &client);
    Row("caption and client area",
        Text(main) + ' ' + std::to_string(client.right) + 'x' + std::to_string(client.bottom),
        "KISS file convertor 481x193");
    const LONG style = ::GetWindowLongA(main, GWL_STYLE);
    Row("a fixed frame with the system menu, minimise and maximise",
        std::to_string((style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))),
        std::to_string(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    // Each control: its class, text, place and size in its panel (a label sized to its text: its width left out).
    char here[MAX_PATH] = {};
    ::GetFullPathNameA(out.c_str(), sizeof here, here, nullptr);
    struct Control {
        int id;
        const char* expected;
    };
    const Control controls[] = {
        {Panel1, "TPanel  0,0 249x193"},
        {Panel2, "TPanel  249,0 232x193"},
        {Label7, "Static Input Configuration File 16,8 x13"},
        {edInFile, "Edit  8,32 201x21"},
        {SpeedButton1, "Button  216,32 25x25"},
        {btnConv, "Button CONVERT 64,64 105x33"},
        {lblPalCount, "Static 0 56,104 57x13"},
        {Label1, "Static Pallet(s) 120,104 x13"},
        {lblCelCount, "Static 0 56,120 57x13"},
        {Label2, "Static Cell(s) 120,120 x13"},
        {Label3, "Static Select Set 40,144 x13"},
        {Label4, "Static Output Bmp files Location 16,8 x13"},
        {DirectoryListBox2, "ListBox  16,48 201x97"},
        {DriveComboBox2, "ComboBox  16,152 201x"}, // its height: Wine's keeps more room than 19 for the font
    };
    for (const auto& [id, expected] : controls) {
        const HWND control = at(id);
        char windowClass[64] = {};
        ::GetClassNameA(control, windowClass, sizeof windowClass);
        std::string box = Box(control);
        const bool sized = id == Label7 || id == Label1 || id == Label2 || id == Label3 || id == Label4;
        if (sized) box = box.substr(0, box.find(' ') + 1) + box.substr(box.find('x'));
        if (id == DriveComboBox2) box.resize(box.find('x') + 1);
        const std::string text = id == DriveComboBox2 ? "" : Text(control); // its line: below
        Row("control " + std::to_string(id) + " at start", std::string(windowClass) + ' ' + text + ' ' + box, expected);
    }
    RECT field, arrows;
    ::GetWindowRect(at(edSelSet), &field), ::GetWindowRect(at(edSelSetButtons), &arrows);
    Row("the set selector: '0' at 136,144, 49x22 with its arrows",
        Text(at(edSelSet)) + ' ' + Box(at(edSelSet)).substr(0, 8) + std::to_string(arrows.right - field.left) + 'x' +
            std::to_string(field.bottom - field.top),
        "0 136,144 49x22");
    const std::string label = Text(at(Label6));
    const bool whole = label == here, shortened = label.find("...\\") != std::string::npos && label.ends_with("\\out");
    Row("Label6 shows the folder, whole or shortened from the left", whole || shortened ? "yes" : label, "yes");

    // Tab's order.
    std::string order;
    HWND focus = at(edInFile);
    for (int i = 0; i < 5; ++i) {
        focus = ::GetNextDlgTabItem(main, focus, FALSE);
        order += std::to_string(::GetDlgCtrlID(focus)) + ' ';
    }
    Row("Tab moves through CONVERT, the set, the drive, the folders and back", order,
        std::to_string(btnConv) + ' ' + std::to_string(edSelSet) + ' ' + std::to_string(DriveComboBox2) + ' ' +
            std::to_string(DirectoryListBox2) + ' ' + std::to_string(edInFile) + ' ');

    // The set selector: its range; a step reads the text strictly (else 0) and bounds it; leaving bounds only a number;
    // typing takes digits and signs.
    const HWND set = at(edSelSet), convert = at(btnConv);
    const LRESULT range = ::SendMessageA(at(edSelSetButtons), UDM_GETRANGE, 0, 0); // no pointers across processes
    Row("the set selector's range", std::to_string(HIWORD(range)) + ".." + std::to_string(LOWORD(range)), "0..9");
    const char* const rows[][2] = {{"12", "9 9 9"}, {"-3", "0 0 0"}, {"+4", "+4 5 3"},   {"007", "007 8 6"},
                                   {"", " 1 0"},    {"-", "- 1 0"},  {"1.5", "1.5 1 0"}, {"abc", "abc 1 0"}};
    for (const auto& [text, after] : rows) {
        std::string seen;
        SetText(set, text), Click(set, 2, 2), ::SendMessageA(convert, BM_CLICK, 0, 0); // the focus leaves it
        seen += Text(set);
        SetText(set, text), ::SendMessageA(set, WM_KEYDOWN, VK_UP, 0), seen += ' ' + Text(set);
        RECT r;
        ::GetClientRect(at(edSelSetButtons), &r);
        SetText(set, text), Click(at(edSelSetButtons), r.right / 2, r.bottom * 3 / 4), seen += ' ' + Text(set);
        Row(std::string("the set selector from '") + text + "' after leaving, Up, the lower arrow", seen, after);
    }
    SetText(set, "5"), ::SendMessageA(set, EM_SETSEL, 1, 1);
    for (const char c : std::string("1a-2x+ 3\b\r"))
        ::SendMessageA(set, WM_CHAR, static_cast<unsigned char>(c), 0);
    Row("typing into the set selector keeps digits and signs", Text(set), "51-2+");
    SetText(set, "0");

    // The drive chooser: the machine's drives, a to z, the current folder's selected.
    std::string drives;
    const DWORD present = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        const std::string root = {static_cast<char>('A' + i), ':', '\\'};
        const UINT type = ::GetDriveTypeA(root.c_str());
        if ((present & (1u << i)) != 0 && type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK)
            drives += std::string(drives.empty() ? "" : "|") + static_cast<char>('a' + i) + ':';
    }
    std::string shown;
    for (const std::string& line : [&] {
             std::vector<std::string> lines;
             const std::string all = ListLines(at(DriveComboBox2), CB_GETCOUNT, CB_GETLBTEXT) + '|';
             for (std::size_t begin = 0, end; (end = all.find('|', begin)) != std::string::npos; begin = end + 1)
                 lines.push_back(all.substr(begin, end - begin));
             return lines;
         }())
        shown += (shown.empty() ? "" : "|") + line.substr(0, 2);
    const std::string selected = Text(at(DriveComboBox2));
    Row("the drive chooser's drives, the current folder's chosen", shown + ' ' + selected.substr(0, 2),
        drives + ' ' + static_cast<char>(std::tolower(here[0])) + ':');

    // The folder list: root, the way down, the folder, its subfolders (not hidden) without regard to case.
    const HWND list = at(DirectoryListBox2);
    const auto tail = [&](int n) {
        const std::string all = ListLines(list, LB_GETCOUNT, LB_GETTEXT);
        std::size_t cut = all.size();
        for (int i = 0; i < n && cut != std::string::npos && cut > 0; ++i)
            cut = all.rfind('|', cut - 1);
        return (cut == std::string::npos ? all : all.substr(cut + 1)) + ' ' +
               Text(at(Label6)).substr(Text(at(Label6)).rfind('\\') + 1);
    };
    Row("the folder list at start", ListLines(list, LB_GETCOUNT, LB_GETTEXT).substr(0, 3) + ' ' + tail(4),
        std::string(here, 3) + " out|alpha|Beta|gamma out");
    const auto line = [&](const char* text) {
        return ::SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    };
    const auto open = [&](const char* text, bool enter) {
        ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line(text)), 0);
        RECT r;
        ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line(text)), reinterpret_cast<LPARAM>(&r));
        if (enter)
            ::SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
        else
            Click(list, r.left + 30, (r.top + r.bottom) / 2, WM_LBUTTONDBLCLK, WM_LBUTTONUP);
    };
    open("Beta", false);
    Row("a double-click on Beta enters it", tail(2), "Beta|inner Beta");
    open("out", true);
    Row("Enter on out goes back", tail(4), "out|alpha|Beta|gamma out");

    // An error: the box with the message, a full stop, the program's title and the stop icon; the window goes on.
    open("gamma", true);
    SetText(at(edInFile), work + "\\missing.cnf");
    Row("a missing configuration: the error box", Convert(main, convert), "kissconv | ﾌｧｲﾙが見つかりません. | 1");
    Row("the window is usable after OK", std::to_string(::IsWindowEnabled(main)), "1");

    // The sample doll's set 1 into out\Beta\inner: the counts, then the editor on the report.
    open("out", true), open("Beta", true), open("inner", true);
    SetText(at(edInFile), sample), SetText(set, "1");
    const std::string sampleRun = Convert(main, convert);
    Row("the sample doll converted, the editor started, palettes and cels counted",
        sampleRun + ' ' + Text(at(lblPalCount)) + ' ' + Text(at(lblCelCount)), "editor 2 5");

    // A shared doll's archive into out\alpha.
    if (!archive.empty()) {
        open("out", true), open("alpha", true);
        SetText(at(edInFile), archive), SetText(set, "0");
        Row("the archive converted", Convert(main, convert), "editor");
    }

    // The open dialog: the sample chosen in it fills the field; the list stays on its drive.
    ::PostMessageA(at(SpeedButton1), BM_CLICK, 0, 0);
    HWND dialog = Await([main] { return OwnedWindow(main, "#32770"); });
    if (dialog != nullptr) {
        SetText(FileNameField(dialog), sample);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        Await([main] { return OwnedWindow(main, "#32770") == nullptr ? main : nullptr; });
    }
    const std::string last = archive.empty() ? "inner" : "alpha";
    Row("the file chosen in the open dialog; the list stays on its drive", Text(at(edInFile)) + ' ' + tail(1),
        sample + ' ' + last + ' ' + last);
    ::PostMessageA(at(SpeedButton1), BM_CLICK, 0, 0);
    dialog = Await([main] { return OwnedWindow(main, "#32770"); });
    std::string again = "no dialog";
    if (dialog != nullptr) {
        again = Text(FileNameField(dialog));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Await([main] { return OwnedWindow(main, "#32770") == nullptr ? main : nullptr; });
    }
    const std::string name = sample.substr(sample.find_last_of('\\') + 1);
    Row("the dialog's second opening shows the file; cancelling changes nothing",
        std::to_string(again.ends_with(name)) + ' ' + Text(at(edInFile)), "1 " + sample);

    // An archive holding two configurations: the window asks which one and shows ARCHIVE\MEMBER.
    ::CreateDirectoryA((out + "\\two").c_str(), nullptr);
    open("out", true), open("two", true);
    ::PostMessageA(at(SpeedButton1), BM_CLICK, 0, 0);
    std::string offered = "no list";
    if ((dialog = Await([main] { return OwnedWindow(main, "#32770"); })) != nullptr) {
        SetText(FileNameField(dialog), two);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        if (const HWND chooser = Await([main] { return OwnedWindow(main, kChooserClass); })) {
            const HWND names = ::GetDlgItem(chooser, ChooserList);
            offered = ListLines(names, LB_GETCOUNT, LB_GETTEXT) + ' ' + Text(chooser);
            ::SendMessageA(names, LB_SETCURSEL, 1, 0);
            ::PostMessageA(chooser, WM_COMMAND, IDOK, 0);
            Await([main] { return OwnedWindow(main, kChooserClass) == nullptr ? main : nullptr; });
        }
    }
    Row("an archive's two configurations offered, the second chosen", offered + ' ' + Text(at(edInFile)),
        "pip.cnf|two.cnf kissconv " + two + "\\two.cnf");
    SetText(set, "0");
    const std::string twoRun = Convert(main, convert);
    std::string written;
    WIN32_FIND_DATAA entry;
    if (const HANDLE find = ::FindFirstFileA((out + "\\two\\*.*").c_str(), &entry); find != INVALID_HANDLE_VALUE) {
        do
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) written += std::string(entry.cFileName) + ' ';
        while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    Row("the chosen configuration converted", twoRun + ": " + written, "editor: body.bmp two.txt ");

    // Closing: exit code 0.
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
    ::GetExitCodeProcess(process.hProcess, &code);
    Row("closing ends the program with code 0", std::to_string(code), "0");
    std::printf("%s: %d row(s) failed\n", failures == 0 ? "passed" : "FAILED", failures);
    return failures == 0 ? 0 : 1;
}
