#pragma once

// The window's class and the identifiers of its controls, by which the window's driver in the
// tests finds them too.
inline constexpr char kMainWindowClass[] = "TfrmMain";
inline constexpr char kMainWindowCaption[] = "KISS file convertor";
inline constexpr char kChooserClass[] = "TConfigurationChooser";
// The height of a line of the drive chooser and the folder list, and a folder's indent a level.
inline constexpr int kLineHeight = 16, kIndent = 8;

enum ControlId : int {
    Panel1 = 100,
    Panel2,
    Label7,
    edInFile,
    SpeedButton1,
    btnConv,
    lblPalCount,
    Label1,
    lblCelCount,
    Label2,
    Label3,
    edSelSet,
    edSelSetButtons, // the up-down control at the set selector's right end
    Label4,
    Label6,
    DirectoryListBox2,
    DriveComboBox2,
    ChooserList, // the list of an archive's configurations, in its own small window
};
