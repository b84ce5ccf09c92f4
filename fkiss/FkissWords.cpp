#include "FkissWords.h"

#include <algorithm>
#include <array>

namespace {

constexpr bool E = true, A = false;

// As the quick chart of the levels lists them.
constexpr std::array kWords = {
    FkissWord{"add", A, 5, "vnn"},
    FkissWord{"alarm", E, 1, "n"},
    FkissWord{"altmap", A, 1, "b"},
    FkissWord{"apart", E, 4, "cc"},
    FkissWord{"begin", E, 1, ""},
    FkissWord{"catch", E, 1, "b"},
    FkissWord{"changecol", A, 2, "n"},
    FkissWord{"changeset", A, 2, "n"},
    FkissWord{"col", E, 1, "n"},
    FkissWord{"collide", E, 4, "cc"},
    FkissWord{"debug", A, 2, "s"},
    FkissWord{"detached", E, 0, "*"},
    FkissWord{"div", A, 5, "vnn"},
    FkissWord{"drop", E, 1, "b"},
    FkissWord{"else", A, 5, ""},
    FkissWord{"end", E, 1, ""},
    FkissWord{"endif", A, 5, ""},
    FkissWord{"exitevent", A, 5, ""},
    FkissWord{"fixcatch", E, 1, "b"},
    FkissWord{"fixdrop", E, 1, "b"},
    FkissWord{"gosub", A, 5, "n"},
    FkissWord{"gosubrandom", A, 5, "nnn"},
    FkissWord{"goto", A, 5, "n"},
    FkissWord{"gotorandom", A, 5, "nnn"},
    FkissWord{"ifequal", A, 5, "nn"},
    FkissWord{"iffixed", A, 4, "onn"},
    FkissWord{"ifgreaterthan", A, 5, "nn"},
    FkissWord{"iflessthan", A, 5, "nn"},
    FkissWord{"ifmapped", A, 4, "cnn"},
    FkissWord{"ifmoved", A, 4, "onn"},
    FkissWord{"ifnotequal", A, 5, "nn"},
    FkissWord{"ifnotfixed", A, 4, "onn"},
    FkissWord{"ifnotmapped", A, 4, "cnn"},
    FkissWord{"ifnotmoved", A, 4, "onn"},
    FkissWord{"in", E, 3, "oo"},
    FkissWord{"initialize", E, 1, ""},
    FkissWord{"keypress", E, 0, "*"},
    FkissWord{"keyrelease", E, 0, "*"},
    FkissWord{"label", E, 5, "l"},
    FkissWord{"let", A, 5, "vn"},
    FkissWord{"letcatch", A, 5, "v"},
    FkissWord{"letcollide", A, 5, "vcc"},
    FkissWord{"letfix", A, 5, "vo"},
    FkissWord{"letinside", A, 5, "voo"},
    FkissWord{"letmapped", A, 5, "vc"},
    FkissWord{"letmouse", A, 5, "vv"},
    FkissWord{"letmousex", A, 5, "v"},
    FkissWord{"letmousey", A, 5, "v"},
    FkissWord{"letobject", A, 5, "vvo"},
    FkissWord{"letobjectx", A, 5, "vo"},
    FkissWord{"letobjecty", A, 5, "vo"},
    FkissWord{"letpal", A, 5, "v"},
    FkissWord{"letset", A, 5, "v"},
    FkissWord{"lettransparent", A, 5, "vc"},
    FkissWord{"map", A, 1, "b"},
    FkissWord{"mod", A, 5, "vnn"},
    FkissWord{"mousein", E, 0, "*"},
    FkissWord{"mouseout", E, 0, "*"},
    FkissWord{"move", A, 1, "onn"},
    FkissWord{"movebyx", A, 3, "oon"},
    FkissWord{"movebyy", A, 3, "oon"},
    FkissWord{"moverandx", A, 4, "onn"},
    FkissWord{"moverandy", A, 4, "onn"},
    FkissWord{"moveto", A, 3, "onn"},
    FkissWord{"movetorand", A, 4, "o"},
    FkissWord{"mul", A, 5, "vnn"},
    FkissWord{"music", A, 3, "s"},
    FkissWord{"never", E, 2, ""},
    FkissWord{"nop", A, 1, ""},
    FkissWord{"nothing", E, 3, ""},
    FkissWord{"notify", A, 3, "s"},
    FkissWord{"out", E, 3, "oo"},
    FkissWord{"overflow", E, 5, ""},
    FkissWord{"press", E, 1, "b"},
    FkissWord{"quit", A, 2, ""},
    FkissWord{"random", A, 5, "vnn"},
    FkissWord{"randomtimer", A, 1, "nnn"},
    FkissWord{"release", E, 1, "b"},
    FkissWord{"set", E, 1, "n"},
    FkissWord{"setfix", A, 4, "on"},
    FkissWord{"sound", A, 1, "s"},
    FkissWord{"stillin", E, 3, "oo"},
    FkissWord{"stillout", E, 3, "oo"},
    FkissWord{"sub", A, 5, "vnn"},
    FkissWord{"timer", A, 1, "nn"},
    FkissWord{"transparent", A, 2, "bn"},
    FkissWord{"unfix", E, 1, "b"},
    FkissWord{"unmap", A, 1, "b"},
    FkissWord{"version", E, 3, "n"},
    FkissWord{"viewport", A, 2, "nn"},
    FkissWord{"windowsize", A, 2, "nn"},
};
static_assert(std::ranges::is_sorted(kWords, {}, &FkissWord::name));

} // namespace

const FkissWord* FindFkissWord(std::string_view name)
{
    const auto found = std::ranges::lower_bound(kWords, name, {}, &FkissWord::name);
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
