#pragma once

#include <string>
#include <vector>

// What a conversion run needs from whoever started it: two count displays, the set selector's
// text and the text editor. The window and the batch command each supply their own, and
// tests watch the run through one.
class RunControls {
public:
    virtual ~RunControls() = default;
    virtual void ShowPaletteCount(const std::string& text) = 0;
    virtual void ShowCelCount(const std::string& text) = 0;
    virtual std::string SetSelectorText() = 0;
    // Called once the report is closed; the run never waits for the editor.
    virtual void StartEditor(const std::string& reportPath) = 0;

    // How far the run is, for a display of its progress: steps done of all, a step being a cel
    // shown in a set. The window shows none.
    virtual void ShowProgress(int /*done*/, int /*all*/) {}
    // Each file the run has written whole, by kind, under its path in the output folder (the
    // snapshot's as the user gave it).
    enum class Written { Image, Report, Snapshot, Page };
    virtual void FileWritten(Written /*kind*/, const std::string& /*path*/) {}
    // A word for the user about what the run made of the doll, which does not stop it (the
    // window shows none).
    virtual void Notice(const std::string& /*text*/) {}
    // The names of the author's texts the page holds, once it is made with any: a page is made to
    // be put online, and whoever publishes it must be told what goes with it.
    virtual void PageTexts(const std::vector<std::string>& /*names*/) {}
};
