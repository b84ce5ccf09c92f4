#include "BufferedTextFile.h"

#include "TextErrors.h"

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
    file_.Close();
}

void BufferedTextFile::Fail(int error) { throw EInOutError::FromSystemError(error, path_); }

void BufferedTextFile::OpenForReading(const std::string& path)
{
    path_ = path;
    file_ = platform::File::OpenForReading(path);
    if (!file_.IsOpen()) Fail(platform::LastError());
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

bool BufferedTextFile::FillBuffer()
{
    if (endOfData_) return false;
    const std::ptrdiff_t got = file_.Read(buffer_.data(), buffer_.size());
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
        const int c = Peek();
        if (c < 0) return line;
        ++position_;
        if (c == kCR) break;
        line.push_back(static_cast<char>(c));
    }
    if (Peek() == kLF) ++position_;
    return line;
}

void BufferedTextFile::WriteBuffer()
{
    if (position_ == 0) return;
    const std::ptrdiff_t put = file_.Write(buffer_.data(), position_);
    if (put < 0 || static_cast<std::size_t>(put) != position_) {
        const int error = put < 0 ? platform::LastError() : platform::kDiskFullError;
        position_ = 0;
        Fail(error);
    }
    position_ = 0;
}

void BufferedTextFile::WriteText(const std::string& text)
{
    for (const char c : text) {
        buffer_[position_++] = c;
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
    if (mode == Mode::Writing) {
        try {
            WriteBuffer();
        } catch (...) {
            file_.Close();
            throw;
        }
    }
    if (!file_.Close() && mode == Mode::Writing) Fail(platform::LastError());
}
