#include "StartState.h"

#include "TextPaths.h"
#include "fkiss/FkissStart.h"

#include <algorithm>

DollState InitialState(const KissConfiguration& c, int set)
{
    DollState state;
    state.set = set;
    std::int32_t highest = -1;
    for (int j = 0; j < c.celCount; ++j) {
        const TKissCel& cel = c.cels[j];
        state.cels.push_back(
            {NameLowerCase(cel.fileName), cel.objectNumber, !cel.unmapped, cel.transparency});
        if (cel.objectNumber < c.MaxObjects()) highest = std::max(highest, cel.objectNumber);
    }
    const std::size_t objects = static_cast<std::size_t>(highest + 1);
    for (std::size_t k = 0; k < state.positions.size(); ++k) {
        const KissSet none, &shown = k < static_cast<std::size_t>(c.setCount) ? c.sets[k] : none;
        state.paletteGroup[k] = shown.paletteGroup;
        for (std::size_t object = 0; object < objects; ++object)
            state.positions[k].push_back(shown.At(object));
    }
    state.fix.assign(objects, 0);
    for (int j = 0; j < c.celCount; ++j)
        if (const std::int32_t object = c.cels[j].objectNumber;
            object >= 0 && static_cast<std::size_t>(object) < objects)
            state.fix[object] = std::max(state.fix[object], c.cels[j].fixValue);
    return state;
}

DollStart StartOf(const KissConfiguration& c, int set)
{
    DollStart start;
    std::vector<FkissLine> lines;
    for (const auto& [number, text] : c.fkissLines)
        lines.push_back({number, text});
    start.program = ReadFkiss(lines);
    start.state = InitialState(c, set);
    start.notes = start.program.notes;
    RunStart(start.program, start.state, start.notes);
    return start;
}
