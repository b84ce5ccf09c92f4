#include "DollSounds.h"

#include "CelPaths.h"
#include "DollFiles.h"
#include "platform/Names.h"
#include "platform/TextUtf8.h"

#include "imaging/MemoryStream.h"
#include "platform/Exception.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

namespace {

// Why a sound is not played, as its note says.
struct NotPlayed {
    std::string why;
};

const std::string kPastAll = "the doll's sounds pass 64 MiB in all";
const std::string kPastOne = "it is larger than 16 MiB";

// A file of libsndfile's in memory: read from bytes, or written into them up to `most` bytes.
struct MemoryFile {
    std::string bytes;
    sf_count_t most = 0;
    sf_count_t position = 0;

    static MemoryFile& Of(void* user) { return *static_cast<MemoryFile*>(user); }
    sf_count_t Size() const { return static_cast<sf_count_t>(bytes.size()); }
    static sf_count_t Length(void* user) { return Of(user).Size(); }
    static sf_count_t Tell(void* user) { return Of(user).position; }
    static sf_count_t Seek(sf_count_t offset, int whence, void* user)
    {
        MemoryFile& f = Of(user);
        const sf_count_t base = whence == SEEK_CUR ? f.position : whence == SEEK_END ? f.Size() : 0;
        if (offset < -base || offset > f.most - base)
            return -1; // never before the start or past most
        return f.position = base + offset;
    }
    static sf_count_t Read(void* to, sf_count_t count, void* user)
    {
        MemoryFile& f = Of(user);
        const sf_count_t n = std::max<sf_count_t>(0, std::min(count, f.Size() - f.position));
        if (n > 0) std::memcpy(to, f.bytes.data() + f.position, static_cast<std::size_t>(n));
        f.position += n;
        return n;
    }
    // A write past most, or one memory cannot be had for, is short: libsndfile then fails.
    static sf_count_t Write(const void* from, sf_count_t count, void* user)
    {
        MemoryFile& f = Of(user);
        if (count <= 0 || count > f.most - f.position) return 0;
        try {
            if (f.position + count > f.Size())
                f.bytes.resize(static_cast<std::size_t>(f.position + count));
        } catch (const std::bad_alloc&) {
            return 0;
        }
        std::memcpy(f.bytes.data() + f.position, from, static_cast<std::size_t>(count));
        f.position += count;
        return count;
    }
};

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// The AU file as a 16-bit PCM WAV file of at most `most` bytes, with its rate and channels.
std::string WavOfAu(std::string au, sf_count_t most)
{
    using F = MemoryFile;
    SF_VIRTUAL_IO io{F::Length, F::Seek, F::Read, F::Write, F::Tell};
    MemoryFile in{std::move(au), 0, 0}, out{{}, most, 0};
    in.most = in.Size();
    SF_INFO info{};
    const SoundFile reader(sf_open_virtual(&io, SFM_READ, &info, &in));
    // A header without a rate or a channel is refused here: both are at least 1 below.
    if (!reader) throw NotPlayed{std::string("libsndfile cannot read it: ") + sf_strerror(nullptr)};
    sf_command(reader.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE); // floats past 1 clip, not wrap
    SF_INFO wavInfo{0, info.samplerate, info.channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SoundFile writer(sf_open_virtual(&io, SFM_WRITE, &wavInfo, &out));
    if (!writer)
        throw NotPlayed{std::string("libsndfile cannot write it: ") + sf_strerror(nullptr)};
    // Frames are copied until the reader has no more: its count in the header is not trusted.
    std::vector<short> samples(1 << 16);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / info.channels;
    for (sf_count_t got; (got = sf_readf_short(reader.get(), samples.data(), frames)) > 0;)
        if (sf_writef_short(writer.get(), samples.data(), got) != got)
            throw NotPlayed{most < kMaxSoundBytes ? kPastAll : "its WAV is larger than 16 MiB"};
    if (sf_error(reader.get()) != SF_ERR_NO_ERROR)
        throw NotPlayed{std::string("libsndfile cannot read it: ") + sf_strerror(reader.get())};
    if (sf_close(writer.release()) != 0) throw NotPlayed{"libsndfile cannot finish its WAV"};
    return std::move(out.bytes);
}

// The sound's WAV file; `read` counts the bytes of every sound file read.
std::string WavOf(DollFiles& doll, const std::string& name, std::int64_t& read, std::int64_t given)
{
    if (!StaysInside(name)) throw NotPlayed{"its name leads outside the doll's folder"};
    if (EndsWithCaseBlind(name, ".mid") || EndsWithCaseBlind(name, ".midi"))
        throw NotPlayed{"MIDI"};
    const std::int64_t left = std::min(kMaxSoundBytes, kMaxSoundBytesInAll - read);
    if (left <= 0) throw NotPlayed{kPastAll};
    MemoryStream stream;
    try {
        doll.Load(name, stream, left + 1); // one byte more tells a file past the bound
    } catch (const Exception& e) {
        throw NotPlayed{e.English()};
    }
    read += stream.Size();
    if (stream.Size() > left) throw NotPlayed{left < kMaxSoundBytes ? kPastAll : kPastOne};
    std::string bytes(reinterpret_cast<const char*>(stream.Data()),
                      static_cast<std::size_t>(stream.Size()));
    const std::int64_t most = std::min(kMaxSoundBytes, kMaxSoundBytesInAll - given);
    if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.compare(8, 4, "WAVE") == 0) {
        if (static_cast<std::int64_t>(bytes.size()) > most) throw NotPlayed{kPastAll};
        return bytes;
    }
    if (bytes.starts_with(".snd")) return WavOfAu(std::move(bytes), most);
    if (bytes.starts_with("MThd")) throw NotPlayed{"MIDI"};
    throw NotPlayed{"it is neither a WAV nor an AU file"};
}

} // namespace

std::vector<DollSound> DollSounds(DollFiles& doll, const std::vector<std::string>& names,
                                  std::vector<std::string>& notes)
{
    std::vector<DollSound> sounds;
    std::unordered_set<std::string> met;
    std::int64_t read = 0, given = 0;
    std::size_t unplayed = 0;
    for (const std::string& name : names) {
        const std::string lowered = AsciiLowerCase(name);
        if (!met.insert(lowered).second) continue;
        std::string why;
        try {
            std::string wav = WavOf(doll, name, read, given);
            given += static_cast<std::int64_t>(wav.size());
            sounds.push_back({lowered, std::move(wav)});
            continue;
        } catch (const NotPlayed& e) {
            why = e.why;
        } catch (const std::bad_alloc&) {
            why = "out of memory";
        }
        if (++unplayed <= kMaxSoundNotes)
            notes.push_back("sound '" + TextAsUtf8(name) + "' is not played: " + why);
    }
    if (unplayed > kMaxSoundNotes)
        notes.push_back(std::to_string(unplayed - kMaxSoundNotes) + " more sounds are not played");
    return sounds;
}
