#pragma once

#include "OpenDialog.h"
#include "Volumes.h"
#include "common/WindowSteps.h"

#include "conversion/RunControls.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDirectoryListBox;
class TDriveComboBox;
class TPanel;
class TSpinEdit;

// What the window takes from the machine; tests put in their own.
struct TfrmMainServices {
    // Starts the text editor on the report, detached.
    std::function<void(const std::string&)> startEditor;
    // The volumes that the drive chooser lists.
    std::function<std::vector<TVolume>()> listVolumes;
};
TfrmMainServices MachineServices();

// The main window "KISS file convertor": the configuration file, the output directory and the
// set number, and the button that starts the conversion run with them. It is the run's
// controls: the two count labels, the set selector's text and the editor. Its handlers' steps
// are TWindowSteps'; it hands them its widgets.
class TfrmMain : public QWidget, public RunControls, private TWindowWidgets {
    Q_OBJECT
public:
    explicit TfrmMain(TfrmMainServices services = MachineServices(), QWidget* parent = nullptr);

    // Puts a file named on the command line into edInFile, absolute, as if typed there: the run
    // reads it and reports it when it is missing or no file.
    void SetInputFile(const QString& path);
    // The handlers (TWindowSteps).
    void SpeedButton1Click() { steps_.SpeedButton1Click(); }
    void btnConvClick() { steps_.btnConvClick(); }
    void DriveComboBox2Change() { steps_.DriveComboBox2Change(); }

    void ShowPaletteCount(const std::string& text) override;
    void ShowCelCount(const std::string& text) override;
    std::string SetSelectorText() override;
    void StartEditor(const std::string& reportPath) override;

private:
    void CreateControls();

    std::optional<std::string> ExecuteOpenDialog() override;
    std::optional<std::size_t> ChooseConfiguration(const std::vector<std::string>& names) override;
    std::string InputText() override;
    void SetInputText(const std::string& text) override;
    std::string OutputDirectory() override;
    void ChooseDriveOf(const std::string& path) override;
    void MoveListToChosenDrive() override;
    void BeginBusy() override;
    void EndBusy() override;

    TfrmMainServices services_;
    TVolumes volumes_;
    TOpenDialog OpenDialog1;
    TWindowSteps steps_{*this, *this};

    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edInFile = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QPushButton* btnConv = nullptr;
    QLabel* lblPalCount = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblCelCount = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    TSpinEdit* edSelSet = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    TDirectoryListBox* DirectoryListBox2 = nullptr;
    TDriveComboBox* DriveComboBox2 = nullptr;
};
