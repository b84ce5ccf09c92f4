// The readers of a build without liblhasa and libarchive: every archive is unreadable.
#include "Archive.h"
#include "MemberCheck.h"

std::vector<ArchiveMember> ReadLzh(const std::string&, const std::string& archiveName)
{
    throw EArchiveError(MemberCheck(archiveName).Unreadable().Message(),
                        "this build reads no archives");
}

std::vector<ArchiveMember> ReadZip(const std::string&, const std::string& archiveName)
{
    throw EArchiveError(MemberCheck(archiveName).Unreadable().Message(),
                        "this build reads no archives");
}
