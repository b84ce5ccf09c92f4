#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DollFiles;

// A sound the doll's program plays, as a browser plays it: a RIFF/WAVE file.
struct DollSound {
    std::string name; // as the program's sound action writes it, A to Z lowered byte by byte
    std::string wav;  // the file's bytes
};

// Each sound file is read up to kMaxSoundBytes, and its WAV is at most that long; the files read
// and the WAVs given each stay within kMaxSoundBytesInAll, so a hostile doll cannot fill memory.
inline constexpr std::int64_t kMaxSoundBytes = 16 << 20;
inline constexpr std::int64_t kMaxSoundBytesInAll = 64 << 20;
inline constexpr std::size_t kMaxSoundNotes = 100;

// The sound files named (by a doll's program), each once (case-blind), in the order given, read
// through doll: a WAV file as it is, an AU file made a 16-bit WAV. A sound that cannot be
// played (missing, outside the doll's folder, MIDI, of another kind, damaged, too large) adds
// "sound 'NAME' is not played: WHY" to notes, up to kMaxSoundNotes and one for the rest, and
// never fails the run.
std::vector<DollSound> DollSounds(DollFiles& doll, const std::vector<std::string>& names,
                                  std::vector<std::string>& notes);
