#pragma once

#include "common/WindowText.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

// One line of the drive chooser: a mounted volume, named by its root path.
struct TVolume {
    QString rootPath; // with "/" separators, as Qt spells it: "/", "/media/usb", "C:/"
    QString text;
    TVolumeKind kind = TVolumeKind::Fixed;
};

// A volume's line (VolumeLineText); a drive root "C:/" is written "c:".
TVolume DescribeVolume(const QString& rootPath, const QString& label, const QString& device,
                       const QByteArray& fileSystemType);

// Whether the drive chooser offers a mount: the root, the volume of the home folder (home), and
// removable or network volumes (under /media, /mnt, /run/media, or a network file system); never
// a pseudo or virtual file system (proc, sysfs, tmpfs, overlay, squashfs, cgroup, ...). Drive
// letters are all offered.
bool IsOfferedMount(const QString& rootPath, const QByteArray& fileSystemType, const QString& home);

// The machine's offered volumes and the current folder's, sorted by root path; "/" is always among
// them on systems without drive letters, so that every absolute path lies on one.
std::vector<TVolume> MountedVolumes();

// The volumes the drive chooser offers and the current directory that each one keeps, as
// Windows keeps one per drive: the process's current directory sets it for its own volume.
class TVolumes {
public:
    explicit TVolumes(std::vector<TVolume> lines);

    const std::vector<TVolume>& Lines() const { return lines_; }
    // The root of the volume that holds the path (the longest root it lies in), "" for none.
    // A relative path is taken from the process's current directory.
    QString RootOf(const QString& path) const;
    // What a volume's root alone stands for: the directory last current on it, else the root.
    QString CurrentDirectoryOn(const QString& root) const;

    // The process's current directory as the system spells it; "" when it cannot be read.
    static QString ProcessDirectory();
    // Makes the directory the process's current one and keeps it for its volume. Raises the
    // input/output error (EInOutError) and changes nothing when the system refuses.
    void ChangeProcessDirectory(const QString& directory);

private:
    void KeepCurrent(const QString& directory);

    std::vector<TVolume> lines_;
    std::map<QString, QString> current_; // volume root, as in lines_ -> its current directory
};

// Whether two paths name the same place as the platform compares names.
bool SamePath(const QString& a, const QString& b);
