#include "doll/DollSounds.h"
#include "doll/DollFiles.h"
#include "fkiss/FkissProgram.h"

#include "support/Test.h"

#include <sndfile.h>

namespace {

// A number as count big-endian bytes, as an AU file holds it.
std::string Be(std::uint64_t value, int count)
{
    std::string bytes;
    for (int i = count; i-- > 0;)
        bytes += static_cast<char>(value >> 8 * i);
    return bytes;
}
// An AU file: its 24-byte header (data offset, size unknown: up to the end, encoding, rate, channels), the samples.
std::string Au(std::uint32_t encoding, std::uint32_t rate, std::uint32_t channels, const std::string& data)
{
    return ".snd" + Be(24, 4) + Be(~0u, 4) + Be(encoding, 4) + Be(rate, 4) + Be(channels, 4) + data;
}
// One 16-bit sample at 8000 Hz.
const std::string kWav =
    "RIFF\x26\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0data\x02\0\0\0\x34\x12"s;

struct SoundCase {
    std::string file, bytes; // put in the doll's folder, unless file is empty
    std::string written;     // as the program's sound action names it
    std::string why;         // how its note goes on; empty with a file: the sound is played
    int rate = 0, channels = 0;
    std::vector<short> samples = {}; // of the converted AU as libsndfile reads it back; none: the file as it is
};

TEST(DollSounds, GivesWavAsItIsConvertsAuAndNotesTheRest)
{
    const std::vector<SoundCase> cases = {
        {"a.wav", kWav, "A.WAV", ""},
        {"mu.au", Au(1, 8000, 1, "\xFF\x80\x00"s), "mu.au", "", 8000, 1, {0, 32124, -32124}},
        {"s16.au", Au(3, 22050, 2, Be(0x123480007FFFFFFF, 8)), "S16.au", "", 22050, 2, {4660, -32768, 32767, -1}},
        {"tune.mid", "MThd", "tune.mid", "MIDI"},
        {"", "", "gone.wav", ""},
        {"junk.wav", "RIFF\0\0\0\0AVI LIST"s, "junk.wav", "it is neither a WAV nor an AU file"},
        {"bad.au", Au(1, 8000, 0, "\xFF"), "bad.au", "libsndfile cannot read it"},
        {"big.wav", kWav + std::string(kMaxSoundBytes, '\0'), "big.wav", "it is larger than 16 MiB"},
        {"long.au", Au(1, 8000, 1, std::string(kMaxSoundBytes / 2, '\0')), "long.au", "its WAV is larger than 16 MiB"},
        {"", "", "../out.wav", "its name leads outside the doll's folder"},
    };
    TempDir temp;
    fs::create_directory(temp / "doll");
    WriteFile(temp / "out.wav", kWav);
    WriteFile(temp / "doll/doll.cnf", "");
    std::string actions = ";@initialize()";
    for (const SoundCase& c : cases) {
        if (!c.file.empty()) WriteFile(temp / ("doll/" + c.file), c.bytes);
        actions += " sound(\"" + c.written + "\")";
    }
    actions += " sound(\"a.WAV\") sound(bell) sound(\"\")"; // a.wav again, a variable, a stop: no more sounds nor notes
    const FkissProgram program = ReadFkiss({{1, ";@EventHandler"}, {2, actions}});
    WriteFile(temp / "doll.zip", ZipOf(temp / "doll"));
    for (const std::string& doll : {temp / "doll/doll.cnf", temp / "doll.zip"}) {
        SCOPED_TRACE(doll);
        std::vector<std::string> notes;
        const std::vector<DollSound> sounds = DollSounds(*OpenDoll(doll, temp.Prefix()), SoundFiles(program), notes);
        std::size_t sound = 0, note = 0;
        for (const SoundCase& c : cases) {
            const std::string text = "sound '" + c.written + "' is not played: " + c.why;
            if (c.file.empty() || !c.why.empty()) {
                ASSERT_LT(note, notes.size());
                EXPECT_EQ(notes[note++].substr(0, text.size()), text);
                continue;
            }
            ASSERT_LT(sound, sounds.size());
            const DollSound& s = sounds[sound++];
            EXPECT_EQ(s.name, c.file);
            if (c.samples.empty()) {
                EXPECT_EQ(s.wav, c.bytes);
                continue;
            }
            WriteFile(temp / "back.wav", s.wav); // read back by libsndfile, a reader that is not ours
            SF_INFO info{};
            SNDFILE* back = sf_open((temp / "back.wav").c_str(), SFM_READ, &info);
            ASSERT_TRUE(back) << sf_strerror(nullptr);
            std::vector<short> samples(c.samples.size() + c.channels); // room for a frame too many
            samples.resize(static_cast<std::size_t>(sf_read_short(back, samples.data(), samples.size())));
            sf_close(back);
            EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
            const auto frames = static_cast<sf_count_t>(c.samples.size()) / c.channels;
            EXPECT_EQ(std::tuple(info.samplerate, info.channels, info.frames, samples),
                      std::tuple(c.rate, c.channels, frames, c.samples));
        }
        EXPECT_EQ(std::tuple(sound, note), std::tuple(sounds.size(), notes.size()));
    }
}

} // namespace

// The WAVs given stay within their bound in all, also where the files read do not reach it: an AU file of 8-bit
// samples makes a WAV twice its size, so four of nearly 8 MiB make nearly 64 MiB and leave no room for a fifth.
TEST(DollSounds, TheWavsGivenStayWithinTheirBoundInAll)
{
    TempDir temp;
    WriteFile(temp / "doll.cnf", "");
    const std::string au = Au(1, 8000, 1, std::string(kMaxSoundBytes / 2 - 64, '\0'));
    std::vector<std::string> names = {"0.au", "1.au", "2.au", "3.au", "4.au"}, notes;
    for (const std::string& name : names)
        WriteFile(temp / name, au);
    const std::vector<DollSound> sounds = DollSounds(*OpenDoll(temp / "doll.cnf", temp.Prefix()), names, notes);
    EXPECT_EQ(std::pair(sounds.size(), notes),
              std::pair(std::size_t{4}, std::vector<std::string>{"sound '4.au' is not played: the doll's sounds pass "
                                                                 "64 MiB in all"}));
}
