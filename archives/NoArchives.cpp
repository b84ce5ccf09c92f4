// The readers of a build without liblhasa and libarchive: every archive is unreadable.
#include "Archive.h"
#include "MemberCheck.h"

std::vector<ArchiveMember> ReadLzh(const std::string&, const std::string& archiveName)
{
    throw MemberCheck(archiveName).Unreadable();
}

std::vector<ArchiveMember> ReadZip(const std::string&, const std::string& archiveName)
{
    throw MemberCheck(archiveName).Unreadable();
}
