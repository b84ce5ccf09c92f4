#pragma once

#include "Volumes.h"

#include <QIcon>

class QStyle;

// The program's icon, drawn in pictures/kissconv.svg.
QIcon ProgramIcon();
// The picture of the button that opens the file dialog: a written page with short rays.
QIcon OpenButtonPicture();

// The directory list's folders: open on the way down, marked for the current directory,
// closed for its subdirectories.
QIcon FolderPicture(TFolderPicture kind, const QStyle& style);
// The drive chooser's picture for a kind of volume.
QIcon DrivePicture(TVolumeKind kind, const QStyle& style);
