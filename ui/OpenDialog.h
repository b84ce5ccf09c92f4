#pragma once

#include <QString>

class QWidget;
class TVolumes;

// The open-file dialog for the configuration file. It remembers the last file and the last
// filter chosen in it for the rest of the process; a confirmed choice makes the file's folder
// the process's current directory.
class TOpenDialog {
public:
    explicit TOpenDialog(TVolumes& volumes) : volumes_(volumes) {}

    // Shows the dialog, modal to owner. True when the user confirmed a file that exists.
    bool Execute(QWidget* owner);
    // The full path chosen last, in native spelling; empty before the first choice.
    const QString& FileName() const { return fileName_; }

private:
    TVolumes& volumes_;
    QString fileName_;
    QString filter_;
};
