#pragma once

#include "OpenDialog.h"
#include "Volumes.h"

#include "doll/DollFiles.h"
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
// controls: the two count labels, the set selector's text and the editor.
class TfrmMain : public QWidget, public RunControls {
    Q_OBJECT
public:
    explicit TfrmMain(TfrmMainServices services = MachineServices(), QWidget* parent = nullptr);

    // Puts a file named on the command line into edInFile, absolute, as if typed there: the run
    // reads it and reports it when it is missing or no file.
    void SetInputFile(const QString& path);
    // Chooses the configuration file; the output list follows it to another volume only.
    void SpeedButton1Click();
    // Runs the conversion under the busy cursor; does nothing while edInFile is empty.
    void btnConvClick();
    // Moves the output list to the chosen volume's current directory.
    void DriveComboBox2Change();

    void ShowPaletteCount(const std::string& text) override;
    void ShowCelCount(const std::string& text) override;
    std::string SetSelectorText() override;
    void StartEditor(const std::string& reportPath) override;

private:
    void CreateControls();
    // The folder the run writes into: the list's directory.
    std::string OutputDirectory() const;

    TfrmMainServices services_;
    TVolumes volumes_;
    TOpenDialog OpenDialog1;
    // An archive chosen in the dialog, read there once for its list and kept for the run: the
    // doll, the configuration picked in it, and the text the file box showed for it (editing the
    // box drops the choice). A run takes the doll; the next run reads the archive again.
    std::unique_ptr<DollFiles> archiveDoll_;
    std::string archivePath_, archiveMember_;
    QString archiveText_;

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
