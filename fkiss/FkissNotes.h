#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Notes for the user, each naming its line (when it has one), up to a limit: past it one more says
// the rest were left out, so a hostile program cannot grow the list.
class FkissNotes {
public:
    FkissNotes(std::vector<std::string>& notes, std::size_t limit) : notes_(notes), limit_(limit) {}

    void Add(int line, const std::string& text)
    {
        if (added_ < limit_)
            notes_.push_back(line > 0 ? "line " + std::to_string(line) + ": " + text : text);
        else if (added_ == limit_)
            notes_.push_back("further notes are left out");
        if (added_ <= limit_) ++added_;
    }
    // Past the limit too: for what happens once, such as where the program was cut.
    void AddAlways(int line, const std::string& text)
    {
        notes_.push_back("line " + std::to_string(line) + ": " + text);
    }

private:
    std::vector<std::string>& notes_;
    std::size_t limit_;
    std::size_t added_ = 0;
};
