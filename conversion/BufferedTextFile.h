#pragma once

#include "platform/File.h"
#include "platform/Folder.h"

#include <array>
#include <cstddef>
#include <string>

// An 8-bit text file read or written through a 128-byte buffer.
//
// Reading: lines end at CR or CR LF (an LF alone is an ordinary byte), and the data ends at the
// physical end or at the first byte 26 (Ctrl-Z), past which nothing is ever read.
// Writing: bytes leave the buffer in whole 128-byte blocks; Close writes the rest.
// A file created replacing is renamed into place when it is closed, on every path.
// Every failure raises EInOutError with the operating system's error number.
class BufferedTextFile {
public:
    static constexpr std::size_t kBufferSize = 128;

    BufferedTextFile() = default;
    BufferedTextFile(const BufferedTextFile&) = delete;
    BufferedTextFile& operator=(const BufferedTextFile&) = delete;
    // Closes without raising; a caller that needs to know of write failures calls Close.
    ~BufferedTextFile();

    void OpenForReading(const std::string& path);
    // Reads bytes held in memory (a file taken from an archive); shownPath names them.
    void OpenInMemory(std::string bytes, const std::string& shownPath);
    // Creates the file, or empties an existing one, and writes into it in place.
    void CreateForWriting(const std::string& path);
    // Writes a new file under a temporary name in folder; Close (or the destructor) renames it
    // over name, whole, so a link under that name is replaced and a reader never sees it cut.
    // shownPath names the file in messages.
    void CreateReplacing(const platform::Folder& folder, const std::string& name,
                         const std::string& shownPath);

    bool AtEnd();
    std::string ReadLine();

    void WriteText(const std::string& text);
    void WriteLineEnd();
    // Hands the buffered bytes on only when the file is a character device (a console);
    // for a file on disk it does nothing.
    void Flush();
    void Close();

    bool IsOpen() const { return mode_ != Mode::Closed; }
    // The file as messages name it.
    const std::string& ShownPath() const { return path_; }

private:
    enum class Mode { Closed, Reading, Writing };

    // The next byte without taking it, or -1 at the end of the data.
    int Peek();
    bool FillBuffer();
    void WriteBuffer();
    [[noreturn]] void Fail(int error);
    platform::File& Output() { return replacing_.IsOpen() ? replacing_.Output() : file_; }

    std::string path_;
    Mode mode_ = Mode::Closed;
    platform::File file_;
    platform::ReplacingFile replacing_;
    std::string memory_; // the bytes read in memory, from memoryAt_ on
    std::size_t memoryAt_ = 0;
    bool inMemory_ = false;
    bool characterDevice_ = false;
    bool endOfData_ = false; // Ctrl-Z met or the file ended
    std::array<char, kBufferSize> buffer_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
};
