#include "DriveComboBox.h"

#include "ErrorDisplay.h"
#include "Pictures.h"
#include "Volumes.h"

#include <algorithm>

TDriveComboBox::TDriveComboBox(const TVolumes& volumes, QWidget* parent)
    : QComboBox(parent), volumes_(volumes)
{
    setEditable(false);
    for (const TVolume& volume : volumes_.Lines())
        addItem(DrivePicture(volume.kind, *style()), volume.text);
    setCurrentIndex(-1);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        const auto& lines = volumes_.Lines();
        if (row >= 0 && static_cast<std::size_t>(row) < lines.size())
            RunHandler(
                [this, &lines, row] { SetDrive(lines[static_cast<std::size_t>(row)].rootPath); });
    });
}

void TDriveComboBox::SetDrive(const QString& root)
{
    if (root.isEmpty() || SamePath(root, drive_)) return;
    drive_ = root;
    const auto& lines = volumes_.Lines();
    const auto line = std::find_if(lines.begin(), lines.end(), [&root](const TVolume& volume) {
        return SamePath(volume.rootPath, root);
    });
    // Selecting the line comes back here with the drive already stored, and stops.
    setCurrentIndex(line == lines.end() ? -1 : static_cast<int>(line - lines.begin()));
    emit Change();
}
