// FKiSS lines of any bytes, read and run for the start picture on a small doll: nothing throws, hangs or grows past its
// limits, and the run leaves a state the page can show. Input: ";@" lines, split at '\n'.
#include "Fuzz.h"

#include "fkiss/FkissStart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<FkissLine> lines{{1, ";@EventHandler"}};
    for (std::size_t at = 0; at <= text.size(); at = std::min(text.find('\n', at), text.size()) + 1)
        lines.push_back({static_cast<int>(lines.size()) + 1, ";@" + text.substr(at, text.find('\n', at) - at)});
    DollState state; // two sets; object 1 is not in set 1, object 2 not in set 0
    state.cels = {{"a.cel", 0}, {"b.cel", 1, false, 40}, {"a.cel", 2}};
    for (auto& places : state.positions)
        places.assign(3, {});
    state.positions[0] = {{0, 0}, {10, 20}, {}};
    state.positions[1] = {{5, 5}, {}, {7, 7}};
    state.fix.assign(3, 0);
    const DollState before = state;
    FkissProgram program = ReadFkiss(lines);
    std::vector<std::string> notes;
    RunStart(program, state, notes);

    std::size_t actions = 0;
    for (const FkissEvent& event : program.events) {
        actions += event.actions.size();
        for (const FkissAction& action : event.actions)
            assert(action.arguments.size() <= 64 && action.name.size() <= 32);
    }
    assert(actions <= 65536 && program.notes.size() <= 102 && notes.size() <= 102);
    assert(std::ranges::count(std::array{"", "1", "1b", "2", "2.1", "3"}, program.level) == 1);
    // Only to a set of the doll; transparency within 0..255; an object neither leaves a set nor joins one.
    assert(state.set == 0 || state.set == 1);
    assert(std::ranges::all_of(state.cels,
                               [](const auto& cel) { return cel.transparency >= 0 && cel.transparency <= 255; }));
    for (int s = 0; s < 10; ++s)
        for (std::size_t o = 0; o < 3; ++o)
            assert(state.positions[s].size() == 3 &&
                   (before.positions[s][o].x == -1 && before.positions[s][o].y == -1) ==
                       (state.positions[s][o].x == -1 && state.positions[s][o].y == -1));
    return 0;
}
