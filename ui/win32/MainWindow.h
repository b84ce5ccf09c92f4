#pragma once

#include "Drives.h"
#include "common/WindowSteps.h"
#include "common/WindowText.h"

#include "conversion/RunControls.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The main window "KISS file convertor" in plain Win32: two panels holding the configuration
// file's field, its button and CONVERT, the counts and the set selector, and the output folder's
// drive chooser and folder list. Text is bytes in the ANSI code page, as the system's "A" calls
// take it; the handlers' steps are TWindowSteps'. It is the run's controls: the two count labels,
// the set selector's text and the editor.
class TfrmMain : public RunControls, private TWindowWidgets {
public:
    // Creates the window and its controls, hidden; the folder list takes the process's current
    // directory and the drive chooser its drive.
    explicit TfrmMain(HINSTANCE instance);
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    HWND Handle() const { return window_; }
    // A file named on the command line, put into the input field as its full path.
    void SetInputFile(const std::string& path);
    // Shows the window and runs the message loop until it is closed; the program's exit code.
    int Run(int show);

    void ShowPaletteCount(const std::string& text) override;
    void ShowCelCount(const std::string& text) override;
    std::string SetSelectorText() override;
    void StartEditor(const std::string& reportPath) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                        DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    LRESULT HandleControl(HWND control, UINT message, WPARAM w, LPARAM l);
    // Runs the handling of one event; an error that ends it is shown in the error box.
    void RunHandler(const std::function<void()>& handler);
    void ShowError(const std::string& text);

    void CreateControls();
    HWND Control(const char* windowClass, const char* text, DWORD style, DWORD extendedStyle,
                 HWND parent, int id, int left, int top, int width, int height, HFONT font);
    void AutoSize(HWND label);
    int S(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    void DrawItem(const DRAWITEMSTRUCT& item);

    // The drive chooser: a drive other than its own is taken, its line selected, its change raised.
    void SetDrive(char letter);
    // The folder list.
    void SetDirectory(const std::string& path);
    void BuildDirectoryLines();
    void OpenDirectoryLine(int row);
    void ShowDirectoryInLabel();
    void StepSetSelector(int steps);

    std::optional<std::string> ExecuteOpenDialog() override;
    std::optional<std::size_t> ChooseConfiguration(const std::vector<std::string>& names) override;
    std::string InputText() override;
    void SetInputText(const std::string& text) override;
    std::string OutputDirectory() override { return directory_; }
    void ChooseDriveOf(const std::string& path) override;
    void MoveListToChosenDrive() override;
    void BeginBusy() override;
    void EndBusy() override;

    HINSTANCE instance_;
    int dpi_ = 96;
    HWND window_ = nullptr;
    std::vector<HFONT> fonts_;
    HBITMAP openPicture_ = nullptr;
    HWND panel1_ = nullptr, panel2_ = nullptr, edInFile_ = nullptr, btnConv_ = nullptr,
         lblPalCount_ = nullptr, lblCelCount_ = nullptr, edSelSet_ = nullptr, label6_ = nullptr,
         directoryList_ = nullptr, driveCombo_ = nullptr;
    TWindowSteps steps_{*this, *this};

    std::vector<TDriveLine> drives_;
    char drive_ = '\0';     // the chooser's drive, lower case; none before the first
    std::string directory_; // the list's directory, as the system spells the current directory
    std::vector<TDirectoryLine> lines_;
    std::string openedFile_; // the open dialog's last file and filter
    DWORD openedFilter_ = 1;
};
