#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

// Archives read whole into memory. The readers know nothing of what the files are for.

// One file of an archive. name: its stored path, folders separated by "/", every other byte as
// stored (a Shift-JIS name stays Shift-JIS; a name the archive marks as UTF-8 stays UTF-8).
struct ArchiveMember {
    std::string name;
    std::string data;
};

// The limits that keep a hostile archive from exhausting memory.
inline constexpr std::uint64_t kMaxMemberSize = 64ull << 20; // one member, unpacked
inline constexpr std::uint64_t kMaxArchiveSize = 1ull << 30; // all members, unpacked
inline constexpr std::size_t kMaxMembers = 65536;

// An archive that cannot be used; the message names the archive and, where there is one, the
// member; so does its English cause.
class EArchiveError : public Exception {
public:
    using Exception::Exception;
};

// The files of an LHA archive (.lzh) or a ZIP archive (.zip) held in bytes; archiveName names it
// in messages. Folders are left out; an LHA member marked as a folder (-lhd-) that has a file
// name and data is a file, stored, as a viewer writes it. Raises EArchiveError when the archive
// or any member is damaged (a CRC that does not match, data cut short, a header that cannot be
// read after the last member read), breaks a limit above, or holds a name that is absolute or has
// a ".." part.
std::vector<ArchiveMember> ReadLzh(const std::string& bytes, const std::string& archiveName);
std::vector<ArchiveMember> ReadZip(const std::string& bytes, const std::string& archiveName);
