#pragma once

// What the window shows, worked out without any toolkit: its title, the text of its error box,
// a path shortened to a label's width, the drive chooser's lines and the folder list's lines.
// Text is bytes as the window's toolkit hands names over (UTF-8 in Qt, the ANSI code page on
// Win32); every search for a separator steps over a double-byte character whole
// (platform::IsFileNameLeadByte), so that a second byte equal to "\" never separates.

#include <functional>
#include <string>
#include <vector>

// The application's title: the program file's name without its folder, cut at its first ".",
// every letter after the first lowered (A to Z only), the first as it is ("C:\TOOLS\MYTOOL.EXE"
// gives "Mytool", "/usr/bin/kissconv" gives "kissconv").
std::string ApplicationTitleFor(const std::string& programPath);

// The error box's text for the exception in flight (call it from a catch block): its message and
// a full stop, always added. The system's errors give their message, a failed memory request the
// out-of-memory message, any other standard exception its what().
std::string CurrentErrorBoxText();

// A path shortened until width(text) fits maxWidth: leading directories give way to "..." and a
// separator one at a time, then the drive or the root goes, and last everything but the final
// name. "D:\DATA\KISS\DOLLS" steps through "D:\...\KISS\DOLLS", "D:\...\DOLLS", "...\DOLLS" and
// "DOLLS", stopping at the first that fits.
std::string MinimizeName(const std::string& path,
                         const std::function<int(const std::string&)>& width, int maxWidth,
                         char separator);

// The kinds of drive the chooser tells apart, each with a picture of its own.
enum class TVolumeKind { Removable, Fixed, Network, Optical, Ram };
// A drive's line: head ("c:", or a mount's root) alone for a removable drive (its label is never
// read); for a network drive the name it is connected to, else the label in brackets; for the
// others the label in brackets ("d: [data]"). Labels and network names have A to Z lowered,
// double-byte characters kept whole.
std::string VolumeLineText(const std::string& head, TVolumeKind kind, const std::string& label,
                           const std::string& networkName);
// Letters A to Z lowered, double-byte characters kept whole.
std::string LowerAsciiLetters(const std::string& text);

// One line of the folder list.
enum class TFolderPicture { Open, Current, Closed };
struct TDirectoryLine {
    std::string text; // the root as given, else the folder's name
    std::string path; // the folder the line changes to
    int depth = 0;    // its indent
    TFolderPicture picture = TFolderPicture::Open;
};
// The list's lines for a directory under a root that ends in the separator ("C:\" or "/"): the
// root, each directory on the way down, the directory itself, then its subdirectories in the order
// given.
std::vector<TDirectoryLine> DirectoryLines(const std::string& root, const std::string& directory,
                                           const std::vector<std::string>& subdirectories,
                                           char separator);

// The set selector's text, 0 to 9. A step reads the text with the strict integer conversion
// (refused text counts as 0), adds steps, bounds the result and writes it back in decimal.
inline constexpr int kFirstSet = 0, kLastSet = 9;
std::string SteppedSetText(const std::string& text, int steps);
// Leaving the field: a number outside 0 to 9 becomes the nearer bound; any other text stays.
std::string SetTextOnLeaving(const std::string& text);
// Whether the field takes a typed character: digits, signs, the user's decimal separator and
// control characters other than Enter (CR, LF); other keys are refused with a beep.
bool SetSelectorTakes(char32_t typed, const std::u32string& decimalSeparator);
