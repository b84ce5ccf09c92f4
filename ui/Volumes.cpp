#include "Volumes.h"

#include "platform/File.h"
#include "platform/InOutError.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <set>

namespace {

constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;

bool IsDriveRoot(const QString& rootPath)
{
    return rootPath.size() == 3 && rootPath[0].isLetter() && rootPath[1] == u':' &&
           rootPath[2] == u'/';
}

TVolumeKind KindOf(const QString& rootPath, const QByteArray& type)
{
    static const std::set<QByteArray> network = {
        "nfs", "nfs4", "cifs", "smb3",  "smbfs",     "fuse.sshfs",     "sshfs",
        "9p",  "ceph", "afs",  "davfs", "glusterfs", "fuse.glusterfs", "fuse.davfs2"};
    if (network.count(type) != 0) return TVolumeKind::Network;
    if (type == "iso9660" || type == "udf") return TVolumeKind::Optical;
    if (type == "tmpfs" || type == "ramfs") return TVolumeKind::Ram;
    if (rootPath.startsWith(u"/media/") || rootPath.startsWith(u"/run/media/"))
        return TVolumeKind::Removable;
    return TVolumeKind::Fixed;
}

bool LiesIn(const QString& path, const QString& root)
{
    if (!path.startsWith(root, kNameCase)) return false;
    return path.size() == root.size() || root.endsWith(u'/') || path[root.size()] == u'/';
}

} // namespace

bool IsOfferedMount(const QString& rootPath, const QByteArray& type, const QString& home)
{
    if (IsDriveRoot(rootPath)) return true;
    // File systems of the kernel's own, of memory, of packages and containers: no user files.
    static const std::set<QByteArray> pseudo = {
        "proc",     "sysfs",      "tmpfs",       "devtmpfs",    "overlay",
        "squashfs", "autofs",     "devpts",      "mqueue",      "debugfs",
        "tracefs",  "securityfs", "pstore",      "bpf",         "configfs",
        "fusectl",  "hugetlbfs",  "binfmt_misc", "efivarfs",    "nsfs",
        "ramfs",    "rpc_pipefs", "selinuxfs",   "fuse.portal", "fuse.gvfsd-fuse"};
    if (pseudo.count(type) != 0 || type.startsWith("cgroup")) return false;
    if (rootPath == u"/" || rootPath == home) return true;
    for (const char* place : {"/media/", "/mnt/", "/run/media/"})
        if (rootPath.startsWith(QString::fromLatin1(place))) return true;
    return KindOf(rootPath, type) == TVolumeKind::Network;
}

TVolume DescribeVolume(const QString& rootPath, const QString& label, const QString& device,
                       const QByteArray& fileSystemType)
{
    TVolume volume;
    volume.rootPath = rootPath;
    volume.kind = KindOf(rootPath, fileSystemType);
    const QString head = IsDriveRoot(rootPath) ? rootPath.left(1).toLower() + u':' : rootPath;
    volume.text = QString::fromStdString(
        VolumeLineText(head.toStdString(), volume.kind, label.toStdString(), device.toStdString()));
    return volume;
}

std::vector<TVolume> MountedVolumes()
{
    std::vector<TVolume> lines;
    const QString home = QStorageInfo(QDir::homePath()).rootPath();
    const QString here = QStorageInfo(QDir::currentPath()).rootPath(); // kept whatever it is
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() ||
            (storage.rootPath() != here &&
             !IsOfferedMount(storage.rootPath(), storage.fileSystemType(), home)))
            continue;
        const bool removable =
            KindOf(storage.rootPath(), storage.fileSystemType()) == TVolumeKind::Removable;
        lines.push_back(DescribeVolume(storage.rootPath(), removable ? QString() : storage.name(),
                                       QString::fromLocal8Bit(storage.device()),
                                       storage.fileSystemType()));
    }
    // Qt's list leaves out some mounts (those under /dev, /run): the current folder's comes anyway.
    const QStorageInfo current(QDir::currentPath());
    if (current.isValid() && std::none_of(lines.begin(), lines.end(),
                                          [&](const TVolume& v) { return v.rootPath == here; }))
        lines.push_back(DescribeVolume(here, current.name(),
                                       QString::fromLocal8Bit(current.device()),
                                       current.fileSystemType()));
    const bool hasRoot = std::any_of(lines.begin(), lines.end(),
                                     [](const TVolume& v) { return v.rootPath == u"/"; });
    if (!hasRoot) lines.push_back(DescribeVolume("/", QString(), QString(), "ext4"));
    std::sort(lines.begin(), lines.end(), [](const TVolume& a, const TVolume& b) {
        return a.rootPath.compare(b.rootPath, kNameCase) < 0;
    });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const TVolume& a, const TVolume& b) {
                                return SamePath(a.rootPath, b.rootPath);
                            }),
                lines.end());
    return lines;
}

bool SamePath(const QString& a, const QString& b)
{
    return a.compare(b, kNameCase) == 0;
}

TVolumes::TVolumes(std::vector<TVolume> lines) : lines_(std::move(lines))
{
    KeepCurrent(ProcessDirectory());
}

QString TVolumes::RootOf(const QString& path) const
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString best;
    for (const TVolume& volume : lines_) {
        if (volume.rootPath.size() > best.size() && LiesIn(absolute, volume.rootPath))
            best = volume.rootPath;
    }
    return best;
}

QString TVolumes::CurrentDirectoryOn(const QString& root) const
{
    const auto kept = current_.find(root);
    return kept != current_.end() ? kept->second : root;
}

QString TVolumes::ProcessDirectory()
{
    return QDir::currentPath();
}

void TVolumes::ChangeProcessDirectory(const QString& directory)
{
    const std::string path = QFile::encodeName(directory).toStdString();
    if (!platform::ChangeDirectory(path))
        throw EInOutError::FromSystemError(platform::LastError(), path);
    KeepCurrent(ProcessDirectory());
}

void TVolumes::KeepCurrent(const QString& directory)
{
    if (directory.isEmpty()) return;
    const QString root = RootOf(directory);
    if (!root.isEmpty()) current_[root] = directory;
}
