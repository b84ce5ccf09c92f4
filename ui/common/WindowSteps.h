#pragma once

// The window's three handlers, step by step, without any toolkit: each window hands them its
// widgets through TWindowWidgets and keeps only the widgets themselves.

#include "conversion/RunControls.h"
#include "doll/DollFiles.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the handlers ask of a window's widgets. Paths are bytes as the conversion takes them.
class TWindowWidgets {
public:
    virtual ~TWindowWidgets() = default;
    // Shows the open dialog, modal; the chosen file's full path, nothing when it was cancelled.
    virtual std::optional<std::string> ExecuteOpenDialog() = 0;
    // Asks which of an archive's configurations (names as shown); nothing when cancelled.
    virtual std::optional<std::size_t>
    ChooseConfiguration(const std::vector<std::string>& names) = 0;
    // The text of the input field, and putting a new one there.
    virtual std::string InputText() = 0;
    virtual void SetInputText(const std::string& text) = 0;
    // The folder list's directory: where the run writes.
    virtual std::string OutputDirectory() = 0;
    // The drive chooser takes the drive a path lies on; a drive other than its own is selected
    // and its change raised (which calls DriveComboBox2Change).
    virtual void ChooseDriveOf(const std::string& path) = 0;
    // The drive chooser's drive handed to the folder list, which moves to that drive's current
    // directory unless it is on it already.
    virtual void MoveListToChosenDrive() = 0;
    // The busy cursor over every window of the program, and the normal one back.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

class TWindowSteps {
public:
    TWindowSteps(TWindowWidgets& widgets, RunControls& controls)
        : widgets_(widgets), controls_(controls)
    {
    }

    // Chooses the configuration file (an archive: the configuration inside it too); the output
    // list follows it to another drive only.
    void SpeedButton1Click();
    // Runs the conversion under the busy cursor; does nothing while the input field is empty.
    void btnConvClick();
    // Moves the output list to the chosen drive's current directory.
    void DriveComboBox2Change() { widgets_.MoveListToChosenDrive(); }

private:
    TWindowWidgets& widgets_;
    RunControls& controls_;
    // An archive chosen in the dialog, read there once for its list and kept for the run: the
    // doll, the configuration picked in it, and the text the input field showed for it (editing
    // the field drops the choice). A run takes the doll; the next run reads the archive again.
    std::unique_ptr<DollFiles> archiveDoll_;
    std::string archivePath_, archiveMember_, archiveText_;
};
