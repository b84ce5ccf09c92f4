// Both archive readers over arbitrary bytes: members within the limits, each a file named inside the archive, or the
// archive refused with a message naming it. Input: the archive's bytes, read as LHA and as ZIP.
#include "Fuzz.h"

#include "archives/Archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const auto read : {ReadLzh, ReadZip}) {
        std::vector<ArchiveMember> members;
        if (const auto thrown = Thrown<EArchiveError>([&] { members = read(bytes, "in"); })) {
            assert(thrown->starts_with("書庫 in "));
            continue;
        }
        std::uint64_t total = 0;
        for (const ArchiveMember& m : members) {
            assert(!m.name.empty() && m.name.front() != '/' && m.name.back() != '/' &&
                   m.name.find('\0') == m.name.npos);
            assert(("/" + m.name + "/").find("/../") == std::string::npos && m.data.size() <= kMaxMemberSize);
            total += m.data.size();
        }
        assert(members.size() <= kMaxMembers && total <= kMaxArchiveSize);
    }
    return 0;
}
