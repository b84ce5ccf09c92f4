#include "conversion/StartState.h"
#include "conversion/TextPaths.h"
#include "fkiss/FkissStart.h"
#include "fkiss/FkissWords.h"
#include "web/FkissJson.h"
#include "web/JsonString.h"

#include "support/Test.h"

#include <algorithm>
#include <fstream>
#include <numeric>

namespace {

using Kind = FkissValue::Kind;

struct Case {
    std::string name;
    DollState state;
    std::vector<FkissLine> lines;
    std::string expected;
};

// The cases of fkiss-start-cases.txt (or of another file in its format), as its header gives them.
std::vector<Case> ReadCases(const std::string& file = "tests/fkiss/fkiss-start-cases.txt")
{
    std::ifstream in(KISS_SOURCE_DIR "/" + file);
    std::vector<Case> cases;
    for (std::string text; std::getline(in, text);) {
        std::istringstream words(text);
        std::string word;
        words >> word;
        if (word == "case") words >> cases.emplace_back().name;
        if (text.empty() || text[0] == '#' || word == "case") continue;
        DollState& s = cases.back().state;
        if (word == "cel") {
            DollState::Cel& cel = s.cels.emplace_back();
            words >> cel.name >> cel.object;
            for (std::string flag; words >> flag;)
                flag == "u" ? void(cel.mapped = false) : void(cel.transparency = std::stoi(flag.substr(1)));
        } else if (word == "set") {
            int set = 0;
            words >> set >> word;
            for (std::string p; words >> p;)
                s.positions[set].push_back(p == "*" ? KissPosition{}
                                                    : KissPosition{std::stoi(p), std::stoi(p.substr(p.find(',') + 1))});
        } else if (text.starts_with(";@")) {
            cases.back().lines.push_back({static_cast<int>(cases.back().lines.size()) + 1, text});
        } else if (word == "=") {
            cases.back().expected += text.substr(2) + "\n";
        }
    }
    for (Case& c : cases) {
        std::size_t objects = 0;
        for (const auto& cel : c.state.cels)
            objects = std::max<std::size_t>(objects, cel.object + 1);
        for (const auto& places : c.state.positions)
            objects = std::max(objects, places.size());
        for (auto& places : c.state.positions)
            places.resize(objects);
        c.state.fix.resize(objects);
    }
    return cases;
}

// What changed from one state to the other, in the cases' form.
std::string Changes(const DollState& from, const DollState& to, const std::vector<std::string>& notes)
{
    std::string mapped, hidden, lines;
    for (std::size_t i = 0; i < to.cels.size(); ++i) {
        const auto &was = from.cels[i], &is = to.cels[i];
        (is.mapped ? mapped : hidden) += was.mapped != is.mapped ? " " + is.name : "";
        if (was.transparency != is.transparency)
            lines += "transparency: " + is.name + " " + std::to_string(is.transparency) + "\n";
    }
    std::string text =
        (mapped.empty() ? "" : "mapped:" + mapped + "\n") + (hidden.empty() ? "" : "hidden:" + hidden + "\n") + lines;
    if (from.set != to.set) text += "set: " + std::to_string(to.set) + "\n";
    for (int s = 0; s < 10; ++s)
        if (from.paletteGroup[s] != to.paletteGroup[s])
            text += "group " + std::to_string(s) + ": " + std::to_string(to.paletteGroup[s]) + "\n";
    for (int s = 0; s < 10; ++s)
        for (std::size_t o = 0; o < to.positions[s].size(); ++o)
            if (const KissPosition a = from.positions[s][o], b = to.positions[s][o]; a.x != b.x || a.y != b.y)
                text += "at " + std::to_string(s) + ": #" + std::to_string(o) + " " +
                        (b.x == -1 && b.y == -1 ? "*" : std::to_string(b.x) + "," + std::to_string(b.y)) + "\n";
    for (std::size_t o = 0; o < to.fix.size(); ++o)
        if (from.fix[o] != to.fix[o]) text += "fix: #" + std::to_string(o) + " " + std::to_string(to.fix[o]) + "\n";
    for (const auto& [name, value] : to.variables)
        if (value != 0) text += "var " + name + ": " + std::to_string(value) + "\n";
    for (const auto& [alarm, timer] : to.timers)
        text += "timer " + std::to_string(alarm) + ": " + std::to_string(timer.first) +
                (timer.second > 0 ? "+" + std::to_string(timer.second) : "") + "\n";
    for (const std::string& note : notes)
        text += "note: " + note + "\n";
    return text;
}

TEST(FkissStart, TheSharedCases)
{
    const std::vector<Case> cases = ReadCases();
    ASSERT_GE(cases.size(), 20u);
    for (const Case& c : cases) {
        FkissProgram program = ReadFkiss(c.lines);
        DollState state = c.state;
        std::vector<std::string> notes = program.notes;
        RunStart(program, state, notes);
        EXPECT_EQ(Changes(c.state, state, notes), c.expected) << c.name;
    }
}

// The programs of the start's and the page's cases as the page's player reads them, with the reader's notes, and the
// words it plays: the page logic's tests run them from tests/web/fkiss-programs.json and fkiss-words.json, which
// KISS_WRITE_FIXTURE=1 writes anew.
TEST(FkissStart, TheCasesProgramsAsThePageReadsThem)
{
    std::vector<Case> cases = ReadCases(), page = ReadCases("tests/web/fkiss-page-cases.txt");
    cases.insert(cases.end(), page.begin(), page.end());
    std::string json = "{";
    for (const Case& c : cases) {
        const FkissProgram program = ReadFkiss(c.lines);
        std::string notes = "[";
        for (const std::string& note : program.notes)
            notes += (notes.size() > 1 ? "," : "") + JsonString(note);
        json += "\n" + JsonString(c.name) + ":{\"program\":" + ProgramJson(program) + ",\"notes\":" + notes + "]},";
    }
    json.back() = '\n';
    json += "}\n";
    for (const auto& [file, text] : {std::pair{"programs", json}, {"words", PageWordsJson() + "\n"}}) {
        const std::string fixture = KISS_SOURCE_DIR "/tests/web/fkiss-"s + file + ".json";
        if (std::getenv("KISS_WRITE_FIXTURE")) WriteFile(fixture, text);
        EXPECT_EQ(ReadText(fixture), text) << "KISS_WRITE_FIXTURE=1 writes it anew";
    }
}

// The runner has a handler for each word the table has it play or keep the timer of, and for no other.
TEST(FkissStart, TheRunnerHandlesTheWordsTheTableGivesIt)
{
    std::vector<std::string_view> words;
    for (const FkissWord& word : FkissWords())
        if (word.start != FkissWord::Start::Left) words.push_back(word.name);
    EXPECT_EQ(StartRunnerWords(), words);
}

// A program as text: each event with its actions, each with its typed arguments; "-": not played.
std::string Described(const FkissProgram& p)
{
    const auto values = [](const std::vector<FkissValue>& values) {
        std::string text;
        for (const FkissValue& v : values) {
            const std::string n = std::to_string(v.number);
            const std::string shown[] = {
                n, "\"" + v.text + "\"", "#" + n, v.text, "L" + (v.text.empty() ? n : v.text), "'" + v.text + "'"};
            text += (text.empty() ? "" : ",") + shown[static_cast<int>(v.kind)];
        }
        return "(" + text + ")";
    };
    std::string text;
    for (const FkissEvent& e : p.events) {
        text += (text.empty() ? "" : " | ") + e.name + values(e.arguments) + (e.played ? "" : "-");
        for (const FkissAction& a : e.actions)
            text += " " + a.name + values(a.arguments) + (a.played ? "" : "-");
    }
    return text;
}

TEST(FkissStart, ReadFkiss)
{
    struct Row {
        std::vector<std::string> lines;
        std::string program, level, notes;
    };
    const Row rows[] = {
        {{";@EventHandler", ";@Initialize() MAP(#1) unmap( \"Hat.CEL\" ) ; unmap(#2)",
          ";@\tsound(\"Bang.WAV\")  FOO(1,a,\"s\")"},
         "initialize() map(#1) unmap(\"hat.cel\") sound('Bang.WAV')- foo(1,a,'s')-",
         "1",
         "line 3: unknown action 'foo'"},
        {{";@EventHandler()",
          ";@press(\"a.cel\") transparent(#2,-5) alarm(7) timer(7,X1) label(3) goto(k) label(Loop)"},
         "press(\"a.cel\")- transparent(#2,-5) | alarm(7)- timer(7,x1)- | label(L3) goto(k) | label(Lloop)",
         "3",
         ""},
        {{";@EventHandler", ";@begin() setfix(#1,0) changeset(1) ifmoved(#1,2,3) div(x,4,2)", ";@keypress(\"up\")"},
         "begin() setfix(#1,0) changeset(1) ifmoved(#1,2,3)- div(x,4,2) | keypress('up')-",
         "3", // div is FKiSS 3's
         "line 3: the event 'keypress' is past FKiSS 3"},
        {{";@EventHandler", ";@set(2) map(#99999999999) sound(\"a.wav)", ";@ \x01 version(x y)", ";@\x7f"},
         "set(2)- map('#99999999999')- sound('a.wav)')- | version('x y')-",
         "2",
         "line 2: argument 1 of map should be a cel or an object, not '#99999999999'\nline 2: a closing '\"' is "
         "missing\n"
         "line 2: ')' is missing after sound\nline 3: '\\x01' is not part of a statement\nline 3: argument 1 of "
         "version should be a number or a variable, not 'x y'\nline 4: '\\x7f' is not part of a statement"},
        {{";@EventHandler", ";@begin() transparent(#1,5)"}, "begin() transparent(#1,5)", "1b", ""},
        {{";@EventHandler", ";@begin() abcdefghijklmnopqrstuvwxyz012345() abcdefghijklmnopqrstuvwxyz0123456()"},
         "begin() abcdefghijklmnopqrstuvwxyz012345()- abcdefghijklmnopqrstuvwxyz012345()-",
         "1",
         "line 2: unknown action 'abcdefghijklmnopqrstuvwxyz012345'\nline 2: the name "
         "'abcdefghijklmnopqrstuvwxyz012345' is cut\nline 2: unknown action 'abcdefghijklmnopqrstuvwxyz012345'"},
    };
    for (const Row& row : rows) {
        std::vector<FkissLine> lines;
        for (const std::string& text : row.lines)
            lines.push_back({static_cast<int>(lines.size()) + 1, text});
        FkissProgram program = ReadFkiss(lines);
        const std::string notes =
            std::accumulate(program.notes.begin(), program.notes.end(), std::string(),
                            [](std::string all, const std::string& n) { return all.empty() ? n : all + "\n" + n; });
        DollState state;
        std::vector<std::string> ignored;
        RunStart(program, state, ignored); // marks what it plays
        EXPECT_EQ(std::tuple(Described(program), program.level, notes), std::tuple(row.program, row.level, row.notes));
    }
    // The limits: actions and events in all, arguments, names and texts, notes.
    const std::string big = ";@nop()" + Repeat(" foo(\"" + std::string(300, 'x') + "\"" + Repeat(",1", 70) + ")", 2) +
                            " " + std::string(40, 'n') + "()";
    const auto cut = ReadFkiss({{1, ";@EventHandler"}, {2, ";@begin()" + Repeat(" nop()", 70000)}, {3, ";@never()"}});
    const auto wide = ReadFkiss({{1, ";@EventHandler"}, {2, ";@begin()"}, {3, big}});
    const auto many = ReadFkiss({{1, ";@EventHandler"}, {2, ";@" + Repeat("never() ", 70000)}, {3, ";@never()"}});
    std::vector<FkissLine> noisy(200, {2, ";@ bad()"});
    noisy[0] = {1, ";@EventHandler begin()"};
    EXPECT_EQ(std::tuple(cut.events.size(), cut.events[0].actions.size(), cut.level, cut.notes),
              std::tuple(1u, 65536u, "1", std::vector<std::string>{"line 2: the program is cut at 65536 actions"}));
    ASSERT_EQ(wide.events.at(0).actions.size(), 4u);
    const FkissAction& foo = wide.events[0].actions[1];
    EXPECT_EQ(std::tuple(foo.arguments.size(), foo.arguments[0].text.size(), wide.events[0].actions[3].name.size()),
              std::tuple(64u, 256u, 32u));
    EXPECT_EQ(std::vector(wide.notes.begin(), wide.notes.begin() + 2),
              (std::vector<std::string>{"line 3: the text \"" + std::string(32, 'x') + "...\" is cut",
                                        "line 3: only the first 64 arguments are kept"}));
    EXPECT_EQ(std::tuple(many.events.size(), many.notes),
              std::tuple(65536u, std::vector<std::string>{"line 2: the program is cut at 65536 events"}));
    const auto loud = ReadFkiss(noisy);
    EXPECT_EQ(std::tuple(loud.notes.size(), loud.notes.back()), std::tuple(101u, "further notes are left out"s));
    const auto heavy =
        ReadFkiss({{1, ";@EventHandler begin()"}, {2, ";@" + Repeat(" f(" + Repeat("1,", 63) + "1)", 16400)}});
    EXPECT_EQ(std::tuple(heavy.events[0].actions.size(), heavy.notes.back()),
              std::tuple(16384u, "line 2: the program is cut at 1048576 arguments"s));
}

} // namespace
