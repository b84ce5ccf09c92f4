#include "RunDoll.h"

#include <algorithm>

// A cel line names sets 0 to 9 only; "$" lines past the tenth are never shown.
std::vector<int> PageSets(const KissConfiguration& c, int chosen, int opening)
{
    std::vector<int> sets;
    for (int number = 0; number < static_cast<int>(TKissCel{}.inSet.size()); ++number)
        if (number < c.setCount || number == chosen || number == opening) sets.push_back(number);
    return sets;
}

int CelsIn(const KissConfiguration& c, int set)
{
    return static_cast<int>(std::count_if(c.cels.begin(), c.cels.begin() + c.celCount,
                                          [&](const TKissCel& cel) { return cel.inSet[set]; }));
}
