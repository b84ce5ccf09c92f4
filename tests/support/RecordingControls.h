#pragma once

#include "conversion/RunControls.h"

#include <functional>
#include <vector>

// Records in order what a run asks of whoever started it: "pal N", "cel N", "set?", "edit PATH".
// onSetRead lets a test change the world in the middle of a run.
struct RecordingControls : RunControls {
    explicit RecordingControls(std::string setText = "0") : setText(std::move(setText)) {}
    void ShowPaletteCount(const std::string& text) override { log.push_back("pal " + text); }
    void ShowCelCount(const std::string& text) override { log.push_back("cel " + text); }
    std::string SetSelectorText() override
    {
        log.push_back("set?");
        if (onSetRead) onSetRead();
        return setText;
    }
    void StartEditor(const std::string& path) override { log.push_back("edit " + path); }

    std::string setText;
    std::vector<std::string> log;
    std::function<void()> onSetRead;
};
