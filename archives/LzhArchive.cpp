#include "Archive.h"

#include "Crc.h"
#include "HeaderBytes.h"
#include "MemberCheck.h"

#include <lhasa.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

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

// A member as its header states it. header: the header's bytes, extended headers included.
struct Stated {
    std::string_view header;
    int level = 0;
    std::string method;
    std::uint64_t length = 0, crc = 0;
};

// Calls visit(type, at, size) for each extended header in a header's bytes, its data being size
// bytes at at. Each is preceded by its size field: on level 1 the last field of the base header,
// whose size is at 0; 4 bytes wide on level 3. The size counts the type, the data and the next
// size field; one too small for them leaves a data size wrapped round, which Part refuses.
template <class Visit> void ForEachExtended(const HeaderBytes& raw, int level, Visit&& visit)
{
    const std::uint64_t width = level == 3 ? 4 : 2;
    std::uint64_t next = level == 1   ? raw.Field(0, 1)
                         : level == 2 ? 24
                         : level == 3 ? 28
                                      : raw.Size();
    for (std::uint64_t size = 0; next + width <= raw.Size(); next += size) {
        size = raw.Field(next, width);
        if (size == 0) break;
        raw.Part(next + width + 1, size - width - 1); // refused when it runs past the header
        visit(raw.Field(next + width, 1), next + width + 1, size - width - 1);
    }
}

// The member's path from the header's own bytes: liblhasa's copy of it is split at every 0x5C,
// Shift-JIS trail bytes too, and put in lower case when all in capitals. Levels 0 and 1 hold the
// name at 22 ("\" between folders); extended headers, from level 1 on, may hold the file name
// (type 1) and the folder (type 2, 0xFF between folders and after the last). A name ending in
// "/" has no file part: a folder's.
std::string StoredName(const Stated& member, const MemberCheck& check)
{
    const HeaderBytes raw(member.header, check.Unreadable());
    std::string_view file, folder;
    if (member.level <= 1) file = raw.Part(22, raw.Field(21, 1));
    ForEachExtended(raw, member.level,
                    [&](std::uint64_t type, std::uint64_t at, std::uint64_t size) {
                        if (type == 1) file = raw.Part(at, size);
                        if (type == 2) folder = raw.Part(at, size);
                    });
    std::string name(folder);
    if (!name.empty() && name.back() != '\xFF') name += '\xFF';
    return check.Name(name.append(file), true);
}

// An -lhd- header (a folder's mark), read here: liblhasa refuses one with a file name and no
// folder, as a viewer writes a file it then stores after the header. Read as liblhasa reads
// headers, with its checks: the checksum of levels 0 and 1, a level-2 header two bytes short from
// OS-9/68k, the CRC of the whole header when an extended header of type 0 holds one. packed:
// the bytes after the header that are the member's.
struct OwnHeader {
    Stated stated;
    std::uint64_t packed = 0;
};

OwnHeader FolderMarkHeader(std::string_view archive, std::uint64_t at, const MemberCheck& check)
{
    const HeaderBytes all(archive.substr(at), check.Unreadable());
    OwnHeader own;
    Stated& h = own.stated;
    h.level = static_cast<int>(all.Field(20, 1));
    h.method = all.Part(2, 5);
    h.length = all.Field(11, 4);
    own.packed = all.Field(7, 4);
    std::uint64_t size = 0;
    if (h.level <= 1) {
        size = all.Field(0, 1) + 2;
        const std::uint64_t nameSize = all.Field(21, 1);
        if (size < (h.level == 0 ? 24 : 27) + nameSize) throw check.Unreadable();
        unsigned sum = 0; // of the base header's bytes after the first two
        for (const char byte : all.Part(2, size - 2))
            sum += static_cast<std::uint8_t>(byte);
        if ((sum & 0xFF) != all.Field(1, 1)) throw check.Unreadable();
        h.crc = all.Field(22 + nameSize, 2);
        // Level 1's extended headers follow the base header, counted in the packed size.
        for (std::uint64_t next = all.Field(size - 2, 2); h.level == 1 && next != 0;
             next = all.Field(size - 2, 2)) {
            if (next < 3 || next > own.packed) throw check.Unreadable();
            own.packed -= next;
            size += next;
        }
    } else if (h.level == 2) {
        size = all.Field(0, 2) + (all.Field(23, 1) == 'K' ? 2 : 0);
        if (size < 26) throw check.Unreadable();
        h.crc = all.Field(21, 2);
    } else if (h.level == 3) {
        size = all.Field(24, 4);
        if (all.Field(0, 2) != 4 || size < 32 || size > (1u << 20)) throw check.Unreadable();
        h.crc = all.Field(21, 2);
    } else {
        throw check.Unreadable();
    }
    h.header = all.Part(0, size);
    std::string zeroed(h.header);
    std::optional<std::uint64_t> headerCrc;
    const HeaderBytes raw(h.header, check.Unreadable());
    ForEachExtended(raw, h.level, [&](std::uint64_t type, std::uint64_t at, std::uint64_t size) {
        if (type != 0 || size < 2) return;
        headerCrc = raw.Field(at, 2);
        zeroed[at] = zeroed[at + 1] = '\0';
    });
    if (headerCrc && LhaCrc(zeroed) != *headerCrc) throw check.Unreadable();
    return own;
}

// The method of a header that may begin at `at` ("-lh5-"), or "" where none can.
std::string_view MethodAt(std::string_view archive, std::uint64_t at)
{
    if (at >= archive.size() || archive.size() - at < 7) return {};
    const std::string_view method = archive.substr(at + 2, 5);
    return method[0] == '-' && method[4] == '-' ? method : std::string_view();
}

// Whether liblhasa takes a header of that method for where an archive starts, as it looks for
// one past a program that unpacks the archive: at any other it would look further.
bool StartsArchive(std::string_view method)
{
    const std::string_view kind = method.substr(1, 2);
    return kind == "lh" ||
           (kind == "lz" && std::string_view("45s").find(method[3]) != std::string_view::npos) ||
           (kind == "pm" && method[3] != 's');
}

// What reads an -lhd- member's stored data: the packed bytes after its header, as far as they go.
auto StoredData(std::string_view archive, std::uint64_t at, std::uint64_t packed)
{
    std::string_view data = archive.substr(std::min<std::uint64_t>(at, archive.size()), packed);
    return [data](char* buffer, std::size_t size) mutable {
        const std::size_t n = std::min(size, data.size());
        std::memcpy(buffer, data.data(), n);
        data.remove_prefix(n);
        return static_cast<std::int64_t>(n);
    };
}

// Calls visit(name, stated, read) for each member that is a file, read(buffer, size) giving its
// unpacked bytes. An -lhd- member marks a folder, and is skipped, unless it has a file name and
// data: a viewer writes files so, stored. liblhasa ends its list at a header it cannot read as at
// the archive's end: what follows the last member it read must be the end (or bytes that begin no
// header, such as a transfer's padding, which lha leaves too), or an -lhd- member it refuses,
// read here; liblhasa goes on after it. Any other header there is damage. Data running past the
// end ends the list too: unpacking finds that member cut short.
template <class Visit>
void ForEachFile(const std::string& bytes, const MemberCheck& check, Visit&& visit)
{
    if (bytes.empty()) throw check.Unreadable();
    // An -lhd- member with packed bytes at `at`: a file when it has a file name.
    const auto stored = [&](const Stated& stated, std::uint64_t at, std::uint64_t packed) {
        if (std::string name = StoredName(stated, check); name.back() != '/')
            visit(name, stated, StoredData(bytes, at, packed));
    };
    for (std::uint64_t start = 0;;) {
        Source source{bytes, static_cast<std::size_t>(start)}; // within the bytes: size_t holds it
        const std::unique_ptr<LHAInputStream, decltype(&lha_input_stream_free)> stream(
            lha_input_stream_new(&kFromMemory, &source), lha_input_stream_free);
        const std::unique_ptr<LHAReader, decltype(&lha_reader_free)> reader(
            stream ? lha_reader_new(stream.get()) : nullptr, lha_reader_free);
        if (!reader) throw EOutOfMemory();
        std::uint64_t next = start; // where the header after the last one starts
        while (LHAFileHeader* h = lha_reader_next_file(reader.get())) {
            const std::uint64_t data = source.at;
            next = data + std::uint64_t{h->compressed_length};
            const Stated stated{{reinterpret_cast<const char*>(h->raw_data), h->raw_data_len},
                                h->header_level,
                                h->compress_method,
                                h->length,
                                h->crc};
            if (stated.method != LHA_COMPRESS_TYPE_DIR) {
                visit(StoredName(stated, check), stated, [&](char* buffer, std::size_t size) {
                    return static_cast<std::int64_t>(lha_reader_read(reader.get(), buffer, size));
                });
            } else if (h->compressed_length > 0) {
                stored(stated, data, h->compressed_length);
            }
        }
        // liblhasa refused the header at next, if one is there: an -lhd- member is read here,
        // those that follow it too, then liblhasa again from the next header.
        for (bool refused = true;; refused = false) {
            if (next >= bytes.size() || bytes[next] == '\0') return;
            const std::string_view method = MethodAt(bytes, next);
            if (method.empty() && next == 0) throw check.Unreadable(); // not of its kind
            if (method.empty()) return;
            if (method != LHA_COMPRESS_TYPE_DIR) {
                if (refused || !StartsArchive(method)) throw check.Unreadable();
                start = next;
                break;
            }
            const OwnHeader own = FolderMarkHeader(bytes, next, check);
            const std::uint64_t data = next + own.stated.header.size();
            if (own.packed > 0) stored(own.stated, data, own.packed);
            next = data + own.packed;
        }
    }
}

} // namespace

std::vector<ArchiveMember> ReadLzh(const std::string& bytes, const std::string& archiveName)
{
    MemberCheck check(archiveName);
    std::vector<ArchiveMember> members;
    // Every header first: an archive over the limits is refused before anything is unpacked.
    ForEachFile(bytes, check, [&](std::string name, const Stated& h, auto&&) {
        if (name.back() == '/') throw check.Unreadable(); // a file named as a folder
        if (std::string method = h.method;
            method != LHA_COMPRESS_TYPE_DIR && !lha_decoder_for_name(method.data()))
            throw check.Method(name, method);
        check.Admit(name, h.length);
        members.push_back(ArchiveMember{std::move(name), {}});
    });
    std::size_t i = 0;
    ForEachFile(bytes, check, [&](const std::string&, const Stated& h, auto&& read) {
        ArchiveMember& member = members.at(i++);
        member.data = ReadUpTo(h.length, read);
        if (member.data.size() < h.length) throw check.CutShort(member.name);
        // liblhasa leaves the CRC to its caller.
        if (LhaCrc(member.data) != h.crc) throw check.BadCrc(member.name);
    });
    return members;
}
