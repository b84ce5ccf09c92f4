#include "FkissWords.h"

#include <algorithm>
#include <array>

namespace {

using Start = FkissWord::Start;
constexpr bool E = true, A = false, Y = true, N = false;
constexpr Start S = Start::Plays, T = Start::KeepsTimer, L = Start::Left;

// Every word, as the quick chart of the levels lists them: its name, E an event or A an action,
// its level, its parameters, S the start picture plays it (T: keeps the timer it sets for the
// page; L: leaves it to the page), whether the page plays it (Y, N).
constexpr auto kWords = std::to_array<FkissWord>({
    {"add", A, 5, "vnn", S, Y},
    {"alarm", E, 1, "n", L, Y},
    {"altmap", A, 1, "b", S, Y},
    {"apart", E, 4, "cc", L, Y},
    {"begin", E, 1, "", S, Y},
    {"catch", E, 1, "b", L, Y},
    {"changecol", A, 2, "n", S, Y},
    {"changeset", A, 2, "n", S, Y},
    {"col", E, 1, "n", L, Y},
    {"collide", E, 4, "cc", L, Y},
    {"debug", A, 2, "s", L, Y},
    {"detached", E, 0, "*", L, N},
    {"div", A, 5, "vnn", S, Y},
    {"drop", E, 1, "b", L, Y},
    {"else", A, 5, "", S, Y},
    {"end", E, 1, "", L, Y},
    {"endif", A, 5, "", S, Y},
    {"exitevent", A, 5, "", S, Y},
    {"fixcatch", E, 1, "b", L, Y},
    {"fixdrop", E, 1, "b", L, Y},
    {"gosub", A, 5, "n", S, Y},
    {"gosubrandom", A, 5, "nnn", L, Y},
    {"goto", A, 5, "n", S, Y},
    {"gotorandom", A, 5, "nnn", L, Y},
    {"ifequal", A, 5, "nn", S, Y},
    {"iffixed", A, 4, "onn", T, Y},
    {"ifgreaterthan", A, 5, "nn", S, Y},
    {"iflessthan", A, 5, "nn", S, Y},
    {"ifmapped", A, 4, "cnn", T, Y},
    {"ifmoved", A, 4, "onn", T, Y},
    {"ifnotequal", A, 5, "nn", S, Y},
    {"ifnotfixed", A, 4, "onn", T, Y},
    {"ifnotmapped", A, 4, "cnn", T, Y},
    {"ifnotmoved", A, 4, "onn", T, Y},
    {"in", E, 3, "oo", L, Y},
    {"initialize", E, 1, "", S, Y},
    {"keypress", E, 0, "*", L, N},
    {"keyrelease", E, 0, "*", L, N},
    {"label", E, 5, "l", S, Y},
    {"let", A, 5, "vn", S, Y},
    {"letcatch", A, 5, "v", S, Y},
    {"letcollide", A, 5, "vcc", L, Y},
    {"letfix", A, 5, "vo", S, Y},
    {"letinside", A, 5, "voo", L, Y},
    {"letmapped", A, 5, "vc", S, Y},
    {"letmouse", A, 5, "vv", L, N},
    {"letmousex", A, 5, "v", L, Y},
    {"letmousey", A, 5, "v", L, Y},
    {"letobject", A, 5, "vvo", L, N},
    {"letobjectx", A, 5, "vo", S, Y},
    {"letobjecty", A, 5, "vo", S, Y},
    {"letpal", A, 5, "v", S, Y},
    {"letset", A, 5, "v", S, Y},
    {"lettransparent", A, 5, "vc", S, Y},
    {"map", A, 1, "b", S, Y},
    {"mod", A, 5, "vnn", S, Y},
    {"mousein", E, 0, "*", L, N},
    {"mouseout", E, 0, "*", L, N},
    {"move", A, 1, "onn", S, Y},
    {"movebyx", A, 3, "oon", S, Y},
    {"movebyy", A, 3, "oon", S, Y},
    {"moverandx", A, 4, "onn", L, Y},
    {"moverandy", A, 4, "onn", L, Y},
    {"moveto", A, 3, "onn", S, Y},
    {"movetorand", A, 4, "o", L, Y},
    {"mul", A, 5, "vnn", S, Y},
    {"music", A, 3, "s", L, N},
    {"never", E, 2, "", S, Y},
    {"nop", A, 1, "", S, Y},
    {"nothing", E, 3, "", S, Y},
    {"notify", A, 3, "s", L, Y},
    {"out", E, 3, "oo", L, Y},
    {"overflow", E, 5, "", L, N},
    {"press", E, 1, "b", L, Y},
    {"quit", A, 2, "", L, N},
    {"random", A, 5, "vnn", L, Y},
    {"randomtimer", A, 1, "nnn", T, Y},
    {"release", E, 1, "b", L, Y},
    {"set", E, 1, "n", L, Y},
    {"setfix", A, 4, "on", S, Y},
    {"sound", A, 1, "s", L, Y},
    {"stillin", E, 3, "oo", L, Y},
    {"stillout", E, 3, "oo", L, Y},
    {"sub", A, 5, "vnn", S, Y},
    {"timer", A, 1, "nn", T, Y},
    {"transparent", A, 2, "bn", S, Y},
    {"unfix", E, 1, "b", L, Y},
    {"unmap", A, 1, "b", S, Y},
    {"version", E, 3, "n", S, Y},
    {"viewport", A, 2, "nn", L, N},
    {"windowsize", A, 2, "nn", L, N},
});
static_assert(std::is_sorted(std::begin(kWords), std::end(kWords),
                             [](const FkissWord& a, const FkissWord& b) { return a.name < b.name; }));

} // namespace

std::span<const FkissWord> FkissWords()
{
    return kWords;
}

const FkissWord* FindFkissWord(std::string_view name)
{
    const auto found = std::lower_bound(std::begin(kWords), std::end(kWords), name,
                                        [](const FkissWord& w, const auto& n) { return w.name < n; });
    return found != kWords.end() && found->name == name ? &*found : nullptr;
}

std::string FkissLevelName(int level)
{
    static constexpr std::array<const char*, 6> kNames = {"", "1", "1b", "2", "2.1", "3"};
    return level >= 1 && level <= 5 ? kNames[level] : "";
}

bool FkissFits(const FkissValue& value, char parameter)
{
    using Kind = FkissValue::Kind;
    const Kind k = value.kind;
    switch (parameter) {
    case 'c':
        return k == Kind::Cel;
    case 'o':
        return k == Kind::Object;
    case 'b':
        return k == Kind::Cel || k == Kind::Object;
    case 'n':
        return k == Kind::Number || k == Kind::Variable;
    case 'v':
        return k == Kind::Variable;
    case 's':
        return k == Kind::Text;
    case 'l':
        return k == Kind::Label;
    default:
        return parameter == '*';
    }
}
