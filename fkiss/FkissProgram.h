#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The FKiSS program of a doll: the ";@" comment lines of its configuration, read into events and
// their actions. Names are lowered (FKiSS is case-blind); nothing in the lines can make the read
// fail, loop or grow past the limits below.

struct FkissLine {
    int number = 0;   // 1-based, in the configuration
    std::string text; // the whole line, ";@" included
};

struct FkissValue {
    enum class Kind { Number, Cel, Object, Variable, Label, Text };
    Kind kind = Kind::Number;
    std::int32_t number = 0; // Number, Object (#5 -> 5), Label (label(7) -> 7)
    std::string text; // Cel: its name lowered; Variable: its name lowered; Label: a label's name;
                      // Text: a quoted string that names no cel (a sound file), as written
};

struct FkissAction {
    std::string name;
    std::vector<FkissValue> arguments;
    bool played = false; // the start picture's runner knows how to apply it
    int line = 0;
};

struct FkissEvent {
    std::string name;
    std::vector<FkissValue> arguments;
    std::vector<FkissAction> actions;
    bool played = false;
    int line = 0;
};

struct FkissProgram {
    static constexpr std::size_t kMaxEvents = 65536, kMaxActions = 65536; // in all
    static constexpr std::size_t kMaxArguments = 64;                      // of one event or action
    static constexpr std::size_t kMaxArgumentsInAll = 1 << 20;  // 64 to every action: some 170 MB
    static constexpr std::size_t kMaxName = 32, kMaxText = 256; // characters kept
    static constexpr std::size_t kMaxNotes = 100;

    std::vector<FkissEvent> events; // in file order
    // The highest level the known events and actions need: "" (none), "1", "1b", "2", "2.1"
    // or "3". A variable where a number goes needs "3" too.
    std::string level;
    // "line 12: unknown action 'foo'", up to kMaxNotes and one saying more were left out; where
    // the program was cut is noted past them.
    std::vector<std::string> notes;
};

// Reads the lines in order. Lines before ";@EventHandler" are no FKiSS; text after a ';' outside
// quotes is a comment. Arguments are typed by what each known event or action takes; a mismatch,
// an unknown name or a cut limit is a note, and what could be read is kept.
FkissProgram ReadFkiss(const std::vector<FkissLine>& lines);

// The files the program's sound actions name, as written, in the order they are met (sound("")
// names none).
std::vector<std::string> SoundFiles(const FkissProgram& program);
