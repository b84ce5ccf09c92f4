#pragma once

#include "support/TempDir.h"

#include "ui/Volumes.h"

#include <QMessageBox>
#include <QString>

#include <string>
#include <vector>

// What one error box showed, read in place of a click on OK.
struct ShownBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    bool normalCursor = false; // no busy cursor while the box was up
};

// Catches every error box shown while it lives.
class BoxCatcher {
public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;
    const std::vector<ShownBox>& Boxes() const { return boxes_; }

private:
    std::vector<ShownBox> boxes_;
};

// Puts the process's current directory back at the end.
class DirectoryKeeper {
public:
    DirectoryKeeper();
    ~DirectoryKeeper();
    DirectoryKeeper(const DirectoryKeeper&) = delete;
    DirectoryKeeper& operator=(const DirectoryKeeper&) = delete;

private:
    std::string saved_;
};

void ChangeDirectory(const std::string& path);
std::string CurrentDirectory();

// A doll of two old-form cels and one old-form palette in the folder: A.CEL (object 0) in set
// 0, B.CEL (object 1) in set 9, positions (10,20) and (30,40) in set 0, (5,6) and (7,8) in set
// 9. Returns the configuration's path.
std::string WriteDoll(const std::string& folder);

// A fixed volume at the root, as the fake machines of the tests have.
TVolume FakeVolume(const QString& rootPath, const QString& text);
