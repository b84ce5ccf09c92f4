#pragma once

#include "conversion/RunControls.h"
#include "support/TempDir.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// A copy of the sample doll beside an output folder, with decoy files above, next to and
// inside the output folder that no run may change:
//   ROOT/above.txt
//   ROOT/work/next.txt  ROOT/work/evil.bmp  ROOT/work/evil.cel  ROOT/work/evil.kcf
//   ROOT/work/doll/     the sample doll: pip.cnf and its cels and palettes
//   ROOT/work/out/      keep.dat and other.bmp, which the runs here never write
class RobustnessScene {
public:
    RobustnessScene();

    std::string root;   // ends in "/"
    std::string doll;   // ends in "/", as the run's source folder
    std::string out;    // no "/" at the end, as given to the run; ROOT/work/out unless a case
                        // moves it
    std::string config; // doll + "pip.cnf" unless a case moves it

    // The sample doll's configuration text.
    static std::string SampleConfiguration();
    void PutText(const std::string& dollName, const std::string& text) const;
    void PutBytes(const std::string& dollName, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> SampleFile(const std::string& name) const;

    // Every file and folder under ROOT with its bytes, except what lies in ROOT/work/out (and
    // in alsoSkip). A symbolic link maps to its target.
    std::map<std::string, std::string> Decoys(const std::string& alsoSkip = "") const;
    // True when keep.dat and other.bmp in ROOT/work/out hold what they held at the start.
    bool InsideDecoysKept() const;
    // What the output folder holds besides the decoys: names relative to it, folders ending in
    // "/". Empty when the output folder does not exist.
    std::vector<std::string> Outputs() const;

private:
    TempDir temp_;
    std::string outputFolder_; // ROOT/work/out
};

// Watches what a run asks of its caller.
class WatchingControls : public RunControls {
public:
    explicit WatchingControls(std::string setText = "0") : setText_(std::move(setText)) {}
    void ShowPaletteCount(const std::string& text) override { palettes = text; }
    void ShowCelCount(const std::string& text) override { cels = text; }
    std::string SetSelectorText() override {
        if (onSetRead) onSetRead();
        return setText_;
    }
    void StartEditor(const std::string& path) override { editors.push_back(path); }

    std::string palettes = "-", cels = "-";
    std::vector<std::string> editors;
    std::function<void()> onSetRead; // lets a case change the world in the middle of a run

private:
    std::string setText_;
};

struct ProcessResult {
    int status = -1;
    std::string out, err;
};

// Runs kiss2bmp with the arguments, no shell, and collects its exit status and output.
ProcessResult RunKiss2bmp(const std::vector<std::string>& arguments, const std::string& scratch);
