#include "Archive.h"

#include "Crc.h"
#include "HeaderBytes.h"
#include "MemberCheck.h"

#include <lhasa.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

// The archive as liblhasa reads it, and how far it has read.
struct Source {
    std::string_view bytes;
    std::size_t at = 0;
};

int Read(void* handle, void* buffer, std::size_t size)
{
    auto& source = *static_cast<Source*>(handle);
    const std::size_t n = std::min({size, source.bytes.size() - source.at, std::size_t{INT_MAX}});
    std::memcpy(buffer, source.bytes.data() + source.at, n);
    source.at += n;
    return static_cast<int>(n);
}

int Skip(void* handle, std::size_t size)
{
    auto& source = *static_cast<Source*>(handle);
    const bool inside = size <= source.bytes.size() - source.at;
    source.at = inside ? source.at + size : source.bytes.size();
    return inside;
}

const LHAInputStreamType kFromMemory{Read, Skip, nullptr};

// The member's path from the header's own bytes: liblhasa's copy of it is split at every 0x5C,
// Shift-JIS trail bytes too, and put in lower case when all in capitals. Levels 0 and 1 hold the
// name at 22 ("\" between folders); extended headers, from level 1 on, may hold the file name
// (type 1) and the folder (type 2, 0xFF between folders and after the last).
std::string StoredName(const LHAFileHeader& h, const MemberCheck& check)
{
    const HeaderBytes raw({reinterpret_cast<const char*>(h.raw_data), h.raw_data_len},
                          check.Unreadable());
    std::string_view file, folder;
    // Each extended header is preceded by its size field: on level 1 the last field of the base
    // header, whose size is at 0; 4 bytes wide on level 3.
    const std::uint64_t width = h.header_level == 3 ? 4 : 2;
    std::uint64_t next = h.header_level == 2 ? 24 : h.header_level == 3 ? 28 : raw.Size();
    if (h.header_level <= 1) file = raw.Part(22, raw.Field(21, 1));
    if (h.header_level == 1) next = raw.Field(0, 1);
    for (std::uint64_t size = 0; next + width <= raw.Size(); next += size) {
        // The size counts the type, the data and the next size field; one too small for them
        // leaves a data size wrapped round, which Part refuses.
        size = raw.Field(next, width);
        if (size == 0) break;
        const std::string_view data = raw.Part(next + width + 1, size - width - 1);
        if (raw.Field(next + width, 1) == 1) file = data;
        if (raw.Field(next + width, 1) == 2) folder = data;
    }
    std::string name(folder);
    if (!name.empty() && name.back() != '\xFF') name += '\xFF';
    return check.Name(name.append(file), true);
}

// Calls visit(header, reader) for each member that is no folder, then checks that the last one is
// followed by the end mark (a zero byte) or the end of the bytes: liblhasa ends its list at a
// header it cannot read as at the archive's end. Data running past the end ends it too: unpacking
// finds that member cut short.
template <class Visit>
void ForEachFile(const std::string& bytes, const MemberCheck& check, Visit&& visit)
{
    Source source{bytes};
    const std::unique_ptr<LHAInputStream, decltype(&lha_input_stream_free)> stream(
        lha_input_stream_new(&kFromMemory, &source), lha_input_stream_free);
    const std::unique_ptr<LHAReader, decltype(&lha_reader_free)> reader(
        stream ? lha_reader_new(stream.get()) : nullptr, lha_reader_free);
    if (!reader) throw EOutOfMemory();
    std::uint64_t next = 0; // where the header after the last one starts
    while (LHAFileHeader* h = lha_reader_next_file(reader.get())) {
        next = source.at + std::uint64_t{h->compressed_length};
        if (std::strcmp(h->compress_method, LHA_COMPRESS_TYPE_DIR) != 0) visit(*h, reader.get());
    }
    if (bytes.empty() || (next < bytes.size() && bytes[next] != '\0')) throw check.Unreadable();
}

} // namespace

std::vector<ArchiveMember> ReadLzh(const std::string& bytes, const std::string& archiveName)
{
    MemberCheck check(archiveName);
    std::vector<ArchiveMember> members;
    // Every header first: an archive over the limits is refused before anything is unpacked.
    ForEachFile(bytes, check, [&](LHAFileHeader& h, LHAReader*) {
        ArchiveMember& member = members.emplace_back(ArchiveMember{StoredName(h, check), {}});
        if (member.name.back() == '/') throw check.Unreadable(); // a file named as a folder
        if (!lha_decoder_for_name(h.compress_method))
            throw check.Method(member.name, h.compress_method);
        check.Admit(member.name, h.length);
    });
    std::size_t i = 0;
    ForEachFile(bytes, check, [&](LHAFileHeader& h, LHAReader* reader) {
        ArchiveMember& member = members.at(i++);
        member.data = ReadUpTo(h.length, [&](char* buffer, std::size_t size) {
            return static_cast<std::int64_t>(lha_reader_read(reader, buffer, size));
        });
        if (member.data.size() < h.length) throw check.CutShort(member.name);
        // liblhasa leaves the CRC to its caller.
        if (LhaCrc(member.data) != h.crc) throw check.BadCrc(member.name);
    });
    return members;
}
