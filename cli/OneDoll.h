#pragma once
// One doll's run as kiss2bmp makes it, and what it prints: kept apart while several dolls run at
// once, then printed whole.
#include "Arguments.h"

#include "platform/Exception.h"
#include "platform/Folder.h"

#include <memory>
#include <mutex>
#include <string>

class DollFiles;
struct GalleryDoll;

// Messages reach a Windows console as characters, anything else as the same bytes everywhere.
bool Out(const std::string& text);
bool Err(const std::string& text);

// Names in messages come from strangers' files: their control bytes would drive the terminal.
std::string Printable(const std::string& text);

// What a failure prints: the window's line, then the same in English naming the file; when several
// dolls are converted, both name the doll it ended.
std::string FailureText(const Exception& e, const std::string& doll = "");

// The work done so far on one line of standard error, rewritten in place; nothing unless it is a
// terminal. Shared by the dolls converted at once.
class Progress {
public:
    explicit Progress(bool shown);
    void Show(const std::string& what, int done, int all);
    // Clears the line, then prints text where it was.
    void Print(int stream, const std::string& text);

private:
    const bool shown_;
    std::mutex mutex_;
    std::string line_;
};

// What one doll's run printed, kept apart while several dolls run at once; label: the doll or
// configuration its notices name when several run.
struct Printed {
    int status = 0;
    std::string out, err, label;
};

// Why the folder at path cannot be made or entered; a link there is told as one (inside the
// output folder none is followed).
[[noreturn]] void FolderFails(const std::string& path, bool inside);
// The output folder the user named, made when missing (made tells); it may be a link.
platform::Folder OutputFolder(const std::string& path, bool& made);

// Where a doll's run writes: its output folder's path, the folder open, whether it was made.
struct Destination {
    const std::string& path;
    const platform::Folder& folder;
    bool made = false;
};

// Opens a doll, then checks or converts the configuration the command chooses in it, into its
// destination. What it prints is kept in printed; usage errors are status 2.
void RunOneDoll(const Command& command, const std::string& path, const Destination& destination,
                Printed& printed, Progress* progress);
// Converts the configuration chosen in a doll already open into its destination; with a gallery,
// gives it the start picture and the page's name.
void ConvertOpenDoll(const Command& command, std::unique_ptr<DollFiles> doll,
                     const Destination& destination, Printed& printed, Progress* progress,
                     GalleryDoll* gallery);
