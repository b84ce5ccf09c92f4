#include "Folder.h"

#include <utility>

// The parts of the safe writing that are the same on every system.
namespace platform {

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (handle_ != kInvalid) Close(handle_);
        handle_ = std::exchange(other.handle_, kInvalid);
        path_ = std::move(other.path_);
    }
    return *this;
}

Folder::~Folder()
{
    if (handle_ != kInvalid) Close(handle_);
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
{
    *this = std::move(other);
}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        file_ = std::move(other.file_);
        folder_ = std::exchange(other.folder_, -1);
        folderPath_ = std::move(other.folderPath_);
        name_ = std::move(other.name_);
        slot_ = std::exchange(other.slot_, -1);
        temporary_ = std::move(other.temporary_);
    }
    return *this;
}

} // namespace platform
