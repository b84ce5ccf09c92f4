#include "BufferedTextFile.h"

#include "TextErrors.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr char kCtrlZ = 26;
constexpr char kCR = 13;
constexpr char kLF = 10;
} // namespace

BufferedTextFile::~BufferedTextFile()
{
    if (mode_ == Mode::Writing) {
        try {
            WriteBuffer();
        } catch (const EInOutError&) {
        }
    }
    if (replacing_.IsOpen()) replacing_.Commit();
    file_.Close();
}

void BufferedTextFile::Fail(int error) { throw EInOutError::FromSystemError(error, path_); }

void BufferedTextFile::OpenForReading(const std::string& path)
{
    path_ = path;
    inMemory_ = false;
    file_ = platform::File::OpenForReading(path);
    if (!file_.IsOpen()) Fail(platform::LastError());
    mode_ = Mode::Reading;
    endOfData_ = false;
    position_ = end_ = 0;
}

void BufferedTextFile::OpenInMemory(std::string bytes, const std::string& shownPath)
{
    path_ = shownPath;
    memory_ = std::move(bytes);
    memoryAt_ = 0;
    inMemory_ = true;
    mode_ = Mode::Reading;
    endOfData_ = false;
    position_ = end_ = 0;
}

void BufferedTextFile::CreateForWriting(const std::string& path)
{
    path_ = path;
    file_ = platform::File::CreateForWriting(path);
    if (!file_.IsOpen()) Fail(platform::LastError());
    mode_ = Mode::Writing;
    characterDevice_ = file_.IsCharacterDevice();
    position_ = end_ = 0;
}

void BufferedTextFile::CreateReplacing(const platform::Folder& folder, const std::string& name,
                                       const std::string& shownPath)
{
    path_ = shownPath;
    replacing_ = platform::ReplacingFile::Create(folder, name);
    if (!replacing_.IsOpen()) Fail(platform::LastError());
    mode_ = Mode::Writing;
    characterDevice_ = false;
    position_ = end_ = 0;
}

bool BufferedTextFile::FillBuffer()
{
    if (endOfData_) return false;
    std::ptrdiff_t got = 0;
    if (inMemory_) {
        got = static_cast<std::ptrdiff_t>(std::min(buffer_.size(), memory_.size() - memoryAt_));
        std::memcpy(buffer_.data(), memory_.data() + memoryAt_, static_cast<std::size_t>(got));
        memoryAt_ += static_cast<std::size_t>(got);
    } else {
        got = file_.Read(buffer_.data(), buffer_.size());
    }
    if (got < 0) Fail(platform::LastError());
    position_ = 0;
    end_ = static_cast<std::size_t>(got);
    if (end_ == 0) endOfData_ = true;
    return end_ > 0;
}

int BufferedTextFile::Peek()
{
    if (position_ == end_ && !FillBuffer()) return -1;
    const char c = buffer_[position_];
    if (c == kCtrlZ) {
        endOfData_ = true;
        end_ = position_; // nothing at or after the Ctrl-Z is ever delivered
        return -1;
    }
    return static_cast<unsigned char>(c);
}

bool BufferedTextFile::AtEnd() { return Peek() < 0; }

std::string BufferedTextFile::ReadLine()
{
    std::string line;
    for (;;) {
        if (position_ == end_ && !FillBuffer()) return line;
        // Take the bytes up to the first CR or Ctrl-Z in the buffer in one piece.
        std::size_t stop = position_;
        while (stop < end_ && buffer_[stop] != kCR && buffer_[stop] != kCtrlZ)
            ++stop;
        line.append(buffer_.data() + position_, stop - position_);
        position_ = stop;
        if (stop == end_) continue;
        if (buffer_[stop] == kCtrlZ) {
            Peek(); // marks the end of the data there
            return line;
        }
        ++position_; // the CR
        break;
    }
    if (Peek() == kLF) ++position_;
    return line;
}

void BufferedTextFile::WriteBuffer()
{
    if (position_ == 0) return;
    const std::ptrdiff_t put = Output().Write(buffer_.data(), position_);
    if (put < 0 || static_cast<std::size_t>(put) != position_) {
        const int error = put < 0 ? platform::LastError() : platform::kDiskFullError;
        position_ = 0;
        Fail(error);
    }
    position_ = 0;
}

void BufferedTextFile::WriteText(const std::string& text)
{
    // Fills the buffer piece by piece; each full buffer leaves as one 128-byte block.
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t n = std::min(text.size() - done, buffer_.size() - position_);
        std::memcpy(buffer_.data() + position_, text.data() + done, n);
        position_ += n;
        done += n;
        if (position_ == buffer_.size()) WriteBuffer();
    }
}

void BufferedTextFile::WriteLineEnd() { WriteText(std::string{kCR, kLF}); }

void BufferedTextFile::Flush()
{
    if (mode_ == Mode::Writing && characterDevice_) WriteBuffer();
}

void BufferedTextFile::Close()
{
    if (mode_ == Mode::Closed) return;
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    inMemory_ = false;
    memory_.clear();
    if (mode == Mode::Writing) {
        try {
            WriteBuffer();
        } catch (...) {
            replacing_.Commit(); // what was written before the failure is kept
            file_.Close();
            throw;
        }
        if (replacing_.IsOpen() && !replacing_.Commit()) Fail(platform::LastError());
    }
    if (!file_.Close() && mode == Mode::Writing) Fail(platform::LastError());
}
