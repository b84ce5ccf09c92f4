#include "Archive.h"

#include "Crc.h"
#include "HeaderBytes.h"
#include "MemberCheck.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

constexpr std::uint64_t kEndSignature = 0x06054B50, kEntrySignature = 0x02014B50;
constexpr std::uint64_t kEndSize = 22, kMaxComment = 0xFFFF, kEntrySize = 46;
constexpr std::uint64_t kEncrypted = 0x0001, kUtf8Name = 0x0800;

// One entry of the central directory, the archive's own list of its members.
struct ZipEntry {
    std::string name;
    std::uint64_t flags = 0, method = 0, crc = 0, size = 0, localOffset = 0;
};

// The central directory, found through the end record: the last one, followed by nothing but its
// comment of at most 64 KiB. Its names are taken as stored: libarchive hands a name over only as
// the locale spells it, and a name marked UTF-8 not at all in the C locale.
std::vector<ZipEntry> ReadDirectory(const HeaderBytes& zip, MemberCheck& check)
{
    const std::uint64_t last = zip.Size() - std::min(zip.Size(), kEndSize);
    std::uint64_t end = last;
    for (; zip.Field(end, 4) != kEndSignature; --end)
        if (end == 0 || last - end == kMaxComment) throw check.Unreadable();
    const std::uint64_t count = zip.Field(end + 10, 2);
    std::uint64_t at = zip.Field(end + 16, 4);
    std::vector<ZipEntry> entries;
    for (std::uint64_t i = 0; i < count; ++i) { // each entry at least 46 bytes: bounded by the size
        if (zip.Field(at, 4) != kEntrySignature) throw check.Unreadable();
        ZipEntry entry;
        entry.flags = zip.Field(at + 8, 2);
        entry.method = zip.Field(at + 10, 2);
        entry.crc = zip.Field(at + 16, 4);
        entry.size = zip.Field(at + 24, 4); // unpacked
        entry.localOffset = zip.Field(at + 42, 4);
        const std::uint64_t nameSize = zip.Field(at + 28, 2), extraSize = zip.Field(at + 30, 2);
        entry.name = check.Name(zip.Part(at + kEntrySize, nameSize), !(entry.flags & kUtf8Name));
        at += kEntrySize + nameSize + extraSize + zip.Field(at + 32, 2);
        if (entry.name.back() == '/') continue; // a folder
        check.Admit(entry.name, entry.size);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::vector<ArchiveMember> ReadZip(const std::string& bytes, const std::string& archiveName)
{
    MemberCheck check(archiveName);
    // The whole directory first: an archive over the limits is refused before anything is unpacked.
    const std::vector<ZipEntry> entries =
        ReadDirectory(HeaderBytes(bytes, check.Unreadable()), check);
    std::vector<ArchiveMember> members;
    for (const ZipEntry& entry : entries) {
        // libarchive reads each member alone, from its own local header on: the data is that of
        // the entry whose name was taken, whatever the order of the archive.
        const std::unique_ptr<archive, decltype(&archive_read_free)> reader(archive_read_new(),
                                                                            archive_read_free);
        if (!reader) throw EOutOfMemory();
        archive_entry* header = nullptr;
        if (entry.localOffset >= bytes.size() ||
            archive_read_support_format_zip_streamable(reader.get()) != ARCHIVE_OK ||
            archive_read_open_memory(reader.get(), bytes.data() + entry.localOffset,
                                     bytes.size() - entry.localOffset) != ARCHIVE_OK ||
            archive_read_next_header(reader.get(), &header) < ARCHIVE_WARN) // warns of its name
            throw check.Unreadable();
        ArchiveMember& member = members.emplace_back(ArchiveMember{entry.name, {}});
        member.data = ReadUpTo(entry.size, [&](char* buffer, std::size_t size) {
            return static_cast<std::int64_t>(archive_read_data(reader.get(), buffer, size));
        });
        // Stored and deflated members libarchive always unpacks: others it leaves unread are of a
        // method it does not know.
        const bool known = !(entry.flags & kEncrypted) && (entry.method == 0 || entry.method == 8);
        if (member.data.size() < entry.size && !known)
            throw check.Method(member.name, std::to_string(entry.method),
                               (entry.flags & kEncrypted) != 0);
        if (member.data.size() < entry.size) throw check.CutShort(member.name);
        if (ZipCrc(member.data) != entry.crc) throw check.BadCrc(member.name);
    }
    return members;
}
