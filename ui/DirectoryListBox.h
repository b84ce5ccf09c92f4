#pragma once

#include <QListWidget>

#include "common/WindowText.h"

class QLabel;
class TVolumes;

// The output directory list: the root, each directory on the way down, the current directory,
// then its subdirectories (hidden ones left out) sorted without regard to case in the user's
// locale. Double-click or Enter changes to a line's directory, by changing the process's
// current directory, so both agree afterwards.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kLineHeight = 16;
    // Bounds what one directory may add to the list.
    static constexpr int kMaxSubdirectories = 32767;

    TDirectoryListBox(TVolumes& volumes, QWidget* parent);

    // The current directory, "/"-separated as the process spells it.
    const QString& Directory() const { return directory_; }
    // Changes to the path (relative ones from the process's current directory). Nothing
    // happens for an empty path or the current directory. Raises the input/output error when
    // the directory cannot be entered; the list then keeps its directory.
    void SetDirectory(const QString& path);
    // Moves to the directory that the volume keeps as current, unless the list is on it.
    void SetDrive(const QString& root);
    // The label that shows the current directory, shortened to the list's width.
    void SetDirLabel(QLabel* label);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void BuildLines();
    void AddLine(const QString& text, const QString& path, int depth, TFolderPicture picture);
    void OpenLine(int row);
    void ShowInLabel();

    TVolumes& volumes_;
    QString directory_;
    QLabel* dirLabel_ = nullptr;
};
