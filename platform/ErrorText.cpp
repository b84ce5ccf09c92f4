#include "File.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace platform {

namespace {

// The error numbers whose own words tell more than their kind does.
const char* SpecificText(int error)
{
    switch (error) {
#ifdef _WIN32
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "the disk is full";
    case ERROR_WRITE_PROTECT:
        return "the disk is read-only";
    case ERROR_FILENAME_EXCED_RANGE:
        return "the name is too long";
    case ERROR_SHARING_VIOLATION:
        return "another program has the file open";
    case ERROR_INVALID_NAME: // a name with bytes Windows refuses: no file there has it
        return "no such file";
#else
    case EISDIR:
        return "it is a folder";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EFBIG:
        return "the file would be too large";
    case EROFS:
        return "the disk is read-only";
    case ENAMETOOLONG:
        return "the name is too long";
    case ELOOP:
        return "a link is in the way";
    case EIO:
        return "input/output error";
#endif
    default:
        return nullptr;
    }
}

} // namespace

std::string ErrorText(int error, const std::string& path)
{
    if (const char* text = SpecificText(error)) return text;
    switch (ClassifyError(error, path)) {
    case ErrorKind::FileNotFound:
        return "no such file";
    case ErrorKind::PathNotFound:
        return "no such folder";
    case ErrorKind::TooManyOpenFiles:
        return "too many open files";
    case ErrorKind::AccessDenied:
        return "access denied";
    case ErrorKind::Other:
        break;
    }
    return "input/output error (" + std::to_string(error) + ")";
}

} // namespace platform
