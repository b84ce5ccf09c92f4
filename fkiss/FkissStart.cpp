#include "FkissStart.h"

#include "FkissNotes.h"
#include "FkissWords.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace {

using Kind = FkissValue::Kind;
constexpr int kMaxSteps = 100000;
constexpr std::size_t kMaxDepth = 64;

using Start = FkissWord::Start;

// Known to the runner as the word table has it (played, or a timer kept for the page), with
// arguments of the kinds the word takes.
template <class Statement> bool Playable(const Statement& statement, Start start)
{
    const FkissWord* word = FindFkissWord(statement.name);
    return word && word->start == start && statement.arguments.size() == word->parameters.size() &&
           std::equal(statement.arguments.begin(), statement.arguments.end(), std::begin(word->parameters),
                      std::end(word->parameters), FkissFits);
}

// The handler of that name in a table sorted by name, or nullptr.
template <class Handlers> auto HandlerOf(const Handlers& handlers, std::string_view name)
{
    const auto found =
        std::lower_bound(std::begin(handlers), std::end(handlers), name,
                         [](const auto& h, const auto& n) { return h.first < n; });
    return found != handlers.end() && found->first == name ? found->second : nullptr;
}

bool IsIf(const std::string& name)
{
    return name == "ifequal" || name == "ifnotequal" || name == "ifgreaterthan" ||
           name == "iflessthan";
}

// Arithmetic on FKiSS variables is 32-bit and wraps, as the players' integers do.
std::int32_t Wrap(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The actions of every event of one kind, in file order, with where each if and else goes on.
struct Handler {
    std::vector<const FkissAction*> actions;
    std::vector<std::size_t> next; // an if: where to go on when false; an else: past its endif

    void Add(const FkissEvent& event)
    {
        for (const FkissAction& action : event.actions)
            actions.push_back(&action);
    }
    void Link()
    {
        next.assign(actions.size(), actions.size()); // an if or else left open ends the handler
        std::vector<std::size_t> open;
        for (std::size_t i = 0; i < actions.size(); ++i) {
            const std::string& name = actions[i]->name;
            if (IsIf(name)) {
                open.push_back(i);
            } else if (name == "else" && !open.empty() && IsIf(actions[open.back()]->name)) {
                next[open.back()] = i + 1;
                open.back() = i;
            } else if (name == "endif" && !open.empty()) {
                next[open.back()] = i + 1;
                open.pop_back();
            } else if (name == "else") {
                next[i] = i + 1; // an else without its if does nothing
            }
        }
    }
};

class Runner {
public:
    Runner(FkissProgram& program, DollState& state, std::vector<std::string>& notes);
    void Run();

private:
    struct Frame {
        const Handler* handler;
        std::size_t next;
    };
    void Run(const Handler& handler);
    void Apply(const FkissAction& a, std::size_t at);

    // The handlers of the words (kEvents, kActions below).
    void Initialize(const FkissEvent& e) { initialize_.Add(e); }
    void Begin(const FkissEvent& e) { begin_.Add(e); }
    void Label(const FkissEvent& e)
    {
        const FkissValue& label = e.arguments[0];
        (label.text.empty() ? numbered_[label.number] : named_[label.text]).Add(e);
    }
    void Version(const FkissEvent& e) { versions_.push_back(&e); } // run by its value after begin
    void Never(const FkissEvent&) {}                               // nothing sets it off
    void Cels(const FkissAction& a, std::size_t);
    void Move(const FkissAction& a, std::size_t);
    void Variable(const FkissAction& a, std::size_t);
    void Flow(const FkissAction& a, std::size_t at);
    void Nothing(const FkissAction&, std::size_t) {}
    void ChangeSet(const FkissAction& a, std::size_t);
    void ChangeCol(const FkissAction& a, std::size_t);
    void SetFix(const FkissAction& a, std::size_t);
    void StartTimer(const FkissAction& a, std::size_t);

    std::int32_t Value(const FkissValue& v) const;
    const std::vector<DollState::Cel*>& CelsOf(const FkissAction& a, const FkissValue& v);
    KissPosition* PositionOf(const FkissAction& a, const FkissValue& v);
    const Handler* LabelOf(const FkissAction& a);
    void Skip(const FkissAction& a, const std::string& why)
    {
        notes_.Add(a.line, a.name + " is skipped: " + why);
    }

    DollState& s_;
    FkissNotes notes_;
    Handler initialize_, begin_, version_;
    std::vector<const FkissEvent*> versions_;
    std::map<std::int32_t, Handler> numbered_;
    std::map<std::string, Handler> named_;
    std::set<std::int32_t> alarms_;                    // the numbers of the alarm() events
    std::array<std::vector<KissPosition>, 10> placed_; // where the run found the objects
    std::vector<Frame> stack_;
    std::set<std::string> leftNoted_;
    // The cel lines of each name and of each object: an action finds its cels without a walk
    // over every line, which a doll of many lines would make slow.
    std::map<std::string, std::vector<DollState::Cel*>> namedCels_;
    std::map<int, std::vector<DollState::Cel*>> objectCels_;
    int steps_ = 0;

public:
    // Each word's handler, by name: the words the table has the runner play or keep the timer of.
    using Take = void (Runner::*)(const FkissEvent&);
    using Act = void (Runner::*)(const FkissAction&, std::size_t at);
    // clang-format off
    static constexpr auto kEvents = std::to_array<std::pair<std::string_view, Take>>({
        {"begin", &Runner::Begin}, {"initialize", &Runner::Initialize}, {"label", &Runner::Label},
        {"never", &Runner::Never}, {"nothing", &Runner::Never}, {"version", &Runner::Version}});
    static constexpr auto kActions = std::to_array<std::pair<std::string_view, Act>>({
        {"add", &Runner::Variable}, {"altmap", &Runner::Cels}, {"changecol", &Runner::ChangeCol},
        {"changeset", &Runner::ChangeSet}, {"div", &Runner::Variable}, {"else", &Runner::Flow},
        {"endif", &Runner::Nothing}, {"exitevent", &Runner::Flow}, {"gosub", &Runner::Flow},
        {"goto", &Runner::Flow}, {"ifequal", &Runner::Flow}, {"iffixed", &Runner::StartTimer},
        {"ifgreaterthan", &Runner::Flow}, {"iflessthan", &Runner::Flow},
        {"ifmapped", &Runner::StartTimer}, {"ifmoved", &Runner::StartTimer},
        {"ifnotequal", &Runner::Flow}, {"ifnotfixed", &Runner::StartTimer},
        {"ifnotmapped", &Runner::StartTimer}, {"ifnotmoved", &Runner::StartTimer},
        {"let", &Runner::Variable}, {"letcatch", &Runner::Variable}, {"letfix", &Runner::Variable},
        {"letmapped", &Runner::Cels}, {"letobjectx", &Runner::Variable},
        {"letobjecty", &Runner::Variable}, {"letpal", &Runner::Variable},
        {"letset", &Runner::Variable}, {"lettransparent", &Runner::Cels}, {"map", &Runner::Cels},
        {"mod", &Runner::Variable}, {"move", &Runner::Move}, {"movebyx", &Runner::Move},
        {"movebyy", &Runner::Move}, {"moveto", &Runner::Move}, {"mul", &Runner::Variable},
        {"nop", &Runner::Nothing}, {"randomtimer", &Runner::StartTimer},
        {"setfix", &Runner::SetFix}, {"sub", &Runner::Variable}, {"timer", &Runner::StartTimer},
        {"transparent", &Runner::Cels}, {"unmap", &Runner::Cels}});
    // clang-format on
};
constexpr auto kByName = [](const auto& a, const auto& b) { return a.first < b.first; };
static_assert(std::is_sorted(std::begin(Runner::kEvents), std::end(Runner::kEvents), kByName) &&
              std::is_sorted(std::begin(Runner::kActions), std::end(Runner::kActions), kByName));

Runner::Runner(FkissProgram& program, DollState& state, std::vector<std::string>& notes)
    : s_(state), notes_(notes, FkissProgram::kMaxNotes), placed_(state.positions)
{
    for (DollState::Cel& cel : s_.cels) {
        namedCels_[cel.name].push_back(&cel);
        objectCels_[cel.object].push_back(&cel);
    }
    for (FkissEvent& event : program.events) {
        if (event.name == "alarm" && event.arguments.size() == 1 &&
            event.arguments[0].kind == Kind::Number)
            alarms_.insert(event.arguments[0].number);
        event.played = Playable(event, Start::Plays);
        for (FkissAction& action : event.actions)
            action.played = Playable(action, Start::Plays);
        if (const Take take = HandlerOf(kEvents, event.name); event.played && take)
            (this->*take)(event);
    }
    for (Handler* handler : {&initialize_, &begin_})
        handler->Link();
    for (auto& [number, handler] : numbered_)
        handler.Link();
    for (auto& [name, handler] : named_)
        handler.Link();
}

void Runner::Run()
{
    if (s_.set < 0 || s_.set > 9) {
        notes_.Add(0, "the doll's set " + std::to_string(s_.set) + " is no set 0 to 9");
        return;
    }
    Run(initialize_);
    Run(begin_);
    // After begin, the version codes of FKiSS 1 to 3: 0 "1", 1 "1b", 2 "2", 3 "2.1", 4 "3".
    for (const FkissEvent* event : versions_)
        if (Value(event->arguments[0]) >= 0 && Value(event->arguments[0]) <= 4)
            version_.Add(*event);
    version_.Link();
    Run(version_);
}

void Runner::Run(const Handler& handler)
{
    stack_.assign(1, {&handler, 0});
    while (!stack_.empty()) {
        Frame& frame = stack_.back();
        if (frame.next >= frame.handler->actions.size()) {
            stack_.pop_back();
            continue;
        }
        const std::size_t at = frame.next++;
        const FkissAction& a = *frame.handler->actions[at];
        if (steps_ == kMaxSteps) {
            notes_.AddAlways(a.line, "the start program is stopped after " +
                                         std::to_string(kMaxSteps) + " steps");
            stack_.clear();
            ++steps_; // nothing runs after
            return;
        }
        if (steps_ > kMaxSteps) return;
        ++steps_;
        Apply(a, at);
    }
}

void Runner::Apply(const FkissAction& a, std::size_t at)
{
    const Act act = HandlerOf(kActions, a.name);
    if (!a.played) {
        const FkissWord* word = FindFkissWord(a.name);
        if (word && word->start == Start::Plays)
            Skip(a, "its arguments do not fit");
        else if (leftNoted_.insert(a.name).second)
            notes_.Add(a.line, a.name + " is not played for the start picture");
        if (act && Playable(a, Start::KeepsTimer)) (this->*act)(a, at);
    } else if (act) {
        (this->*act)(a, at);
    }
}

void Runner::ChangeSet(const FkissAction& a, std::size_t)
{
    // A set is in the doll when some object has a place in it.
    const std::int32_t n = Value(a.arguments[0]);
    const bool defined =
        n >= 0 && n <= 9 &&
        (n == s_.set || std::any_of(std::begin(s_.positions[n]), std::end(s_.positions[n]), [](const KissPosition& p) {
             return p.x != -1 || p.y != -1;
         }));
    if (!defined) return Skip(a, "set " + std::to_string(n) + " is not in the doll");
    s_.set = n;
}

void Runner::ChangeCol(const FkissAction& a, std::size_t)
{
    const std::int32_t n = Value(a.arguments[0]);
    if (n < 0 || n > 9) return Skip(a, "palette group " + std::to_string(n) + " is no 0 to 9");
    s_.paletteGroup[s_.set] = n;
}

void Runner::SetFix(const FkissAction& a, std::size_t)
{
    const std::int32_t o = a.arguments[0].number;
    if (o < 0 || static_cast<std::size_t>(o) >= s_.fix.size())
        return Skip(a, "there is no object #" + std::to_string(o));
    s_.fix[o] = Value(a.arguments[1]);
}

void Runner::Cels(const FkissAction& a, std::size_t)
{
    const bool map = a.name == "map", unmap = a.name == "unmap", alt = a.name == "altmap";
    const bool transparent = a.name == "transparent";
    const bool read = a.name == "letmapped" || a.name == "lettransparent";
    const std::vector<DollState::Cel*>& cels = CelsOf(a, a.arguments[read ? 1 : 0]);
    if (cels.empty()) return;
    if (read) { // of several cels of that name, the first answers
        s_.variables[a.arguments[0].text] =
            a.name == "letmapped" ? cels[0]->mapped : cels[0]->transparency;
        return;
    }
    const std::int64_t delta = transparent ? Value(a.arguments[1]) : 0;
    for (DollState::Cel* cel : cels) {
        if (map || unmap || alt) cel->mapped = map || (alt && !cel->mapped);
        if (transparent)
            cel->transparency = static_cast<std::int32_t>(
                std::clamp<std::int64_t>(cel->transparency + delta, 0, 255));
    }
}

void Runner::Move(const FkissAction& a, std::size_t)
{
    const bool move = a.name == "move", to = a.name == "moveto";
    const bool byX = a.name == "movebyx", byY = a.name == "movebyy";
    KissPosition* position = PositionOf(a, a.arguments[0]);
    if (!position) return;
    KissPosition moved = *position;
    const std::int32_t d1 = Value(a.arguments[1]), d2 = Value(a.arguments[2]);
    if (move) moved = {Wrap(std::int64_t{moved.x} + d1), Wrap(std::int64_t{moved.y} + d2)};
    if (to) moved = {d1, d2};
    if (byX || byY) { // to the other object's place along one axis, plus d2
        const KissPosition* other = PositionOf(a, a.arguments[1]);
        if (!other) return;
        (byX ? moved.x : moved.y) = Wrap(std::int64_t{byX ? other->x : other->y} + d2);
    }
    // The place -1,-1 stands for "not in this set": an object moved there would vanish.
    if (moved.x == -1 && moved.y == -1)
        return Skip(a, "-1,-1 would take the object out of the set");
    *position = moved;
}

void Runner::Variable(const FkissAction& a, std::size_t)
{
    const std::string& n = a.name;
    const auto& v = a.arguments;
    std::int64_t value = 0;
    if (n == "let") {
        value = Value(v[1]);
    } else if (n == "letset") {
        value = s_.set;
    } else if (n == "letpal") {
        value = s_.paletteGroup[s_.set];
    } else if (n == "letcatch") {
        value = -1; // nothing is being dragged before the first picture
    } else if (n == "letfix") {
        const std::int32_t o = v[1].number;
        if (o < 0 || static_cast<std::size_t>(o) >= s_.fix.size())
            return Skip(a, "there is no object #" + std::to_string(o));
        value = s_.fix[o];
    } else if (n == "letobjectx" || n == "letobjecty") {
        const std::int32_t o = v[1].number;
        const auto& places = s_.positions[s_.set];
        if (o < 0 || static_cast<std::size_t>(o) >= places.size())
            return Skip(a, "there is no object #" + std::to_string(o));
        value = n == "letobjectx" ? places[o].x : places[o].y;
    } else {
        const std::int64_t x = Value(v[1]), y = Value(v[2]);
        if ((n == "div" || n == "mod") && y == 0) return Skip(a, "division by zero");
        value = n == "add"   ? x + y
                : n == "sub" ? x - y
                : n == "mul" ? x * y
                : n == "div" ? x / y
                             : x % y;
    }
    s_.variables[v[0].text] = Wrap(value);
}

void Runner::Flow(const FkissAction& a, std::size_t at)
{
    const std::string& n = a.name;
    Frame& frame = stack_.back();
    if (IsIf(n)) {
        const std::int32_t x = Value(a.arguments[0]), y = Value(a.arguments[1]);
        const bool holds = n == "ifequal"         ? x == y
                           : n == "ifnotequal"    ? x != y
                           : n == "ifgreaterthan" ? x > y
                                                  : x < y;
        if (!holds) frame.next = frame.handler->next[at];
    } else if (n == "else") {
        frame.next = frame.handler->next[at]; // come to from the if's true part
    } else if (n == "exitevent") { // ends the handler it is in: a label's returns to its gosub
        stack_.pop_back();
    } else if (const Handler* label = LabelOf(a); !label) {
        return;
    } else if (n == "goto") {
        frame = {label, 0}; // the handler that jumps ends with the label's
    } else if (stack_.size() > kMaxDepth) {
        Skip(a, "gosub is nested deeper than " + std::to_string(kMaxDepth));
    } else {
        stack_.push_back({label, 0});
    }
}

void Runner::StartTimer(const FkissAction& a, std::size_t)
{
    const std::string& n = a.name;
    const std::int32_t o = a.arguments[0].number;
    bool holds = true;
    if (n == "ifmapped" || n == "ifnotmapped") {
        const std::vector<DollState::Cel*>& cels = CelsOf(a, a.arguments[0]);
        if (cels.empty()) return;
        holds = cels[0]->mapped == (n == "ifmapped");
    } else if (n == "iffixed" || n == "ifnotfixed") {
        if (o < 0 || static_cast<std::size_t>(o) >= s_.fix.size())
            return Skip(a, "there is no object #" + std::to_string(o));
        holds = (s_.fix[o] > 0) == (n == "iffixed");
    } else if (n == "ifmoved" || n == "ifnotmoved") {
        const KissPosition* at = PositionOf(a, a.arguments[0]);
        if (!at) return;
        const KissPosition was = placed_[s_.set][o];
        holds = (at->x != was.x || at->y != was.y) == (n == "ifmoved");
    }
    if (!holds) return;
    const bool timer = n == "timer" || n == "randomtimer";
    const std::int32_t alarm = Value(a.arguments[timer ? 0 : 1]);
    const std::int32_t delay = Value(a.arguments[timer ? 1 : 2]);
    s_.timers.erase(alarm);
    if (delay > 0 && alarms_.contains(alarm))
        s_.timers[alarm] = {delay, n == "randomtimer" ? Value(a.arguments[2]) : 0};
}

std::int32_t Runner::Value(const FkissValue& v) const
{
    if (v.kind != Kind::Variable) return v.number;
    const auto found = s_.variables.find(v.text);
    return found == s_.variables.end() ? 0 : found->second;
}

const std::vector<DollState::Cel*>& Runner::CelsOf(const FkissAction& a, const FkissValue& v)
{
    static const std::vector<DollState::Cel*> kNone;
    const auto found = [](const auto& cels, const auto& key) -> const auto&
    {
        const auto at = cels.find(key);
        return at == cels.end() ? kNone : at->second;
    };
    const std::vector<DollState::Cel*>& cels =
        v.kind == Kind::Cel ? found(namedCels_, v.text) : found(objectCels_, v.number);
    if (cels.empty())
        Skip(a, v.kind == Kind::Cel ? "there is no cel \"" + v.text + "\""
                                    : "no cel is in object #" + std::to_string(v.number));
    return cels;
}

KissPosition* Runner::PositionOf(const FkissAction& a, const FkissValue& v)
{
    auto& places = s_.positions[s_.set];
    if (v.number < 0 || static_cast<std::size_t>(v.number) >= places.size()) {
        Skip(a, "there is no object #" + std::to_string(v.number));
        return nullptr;
    }
    KissPosition& place = places[v.number];
    if (place.x == -1 && place.y == -1) {
        Skip(a, "#" + std::to_string(v.number) + " is not in set " + std::to_string(s_.set));
        return nullptr;
    }
    return &place;
}

const Handler* Runner::LabelOf(const FkissAction& a)
{
    const FkissValue& v = a.arguments[0];
    // A label's name wins over a variable's value, as FKiSS 4 has it.
    if (const auto named = named_.find(v.text); v.kind == Kind::Variable && named != named_.end())
        return &named->second;
    const std::int32_t number = Value(v);
    if (const auto found = numbered_.find(number); found != numbered_.end()) return &found->second;
    Skip(a, "there is no label(" + (v.kind == Kind::Variable ? v.text + " = " : "") +
                std::to_string(number) + ")");
    return nullptr;
}

} // namespace

void RunStart(FkissProgram& program, DollState& state, std::vector<std::string>& notes)
{
    Runner runner(program, state, notes);
    runner.Run();
}

std::vector<std::string_view> StartRunnerWords()
{
    std::vector<std::string_view> words;
    for (const auto& [name, take] : Runner::kEvents)
        words.push_back(name);
    for (const auto& [name, act] : Runner::kActions)
        words.push_back(name);
    std::sort(words.begin(), words.end());
    return words;
}
