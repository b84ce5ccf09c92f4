#include "MinimizeName.h"

#include "platform/File.h"

#include <QFontMetrics>

namespace {

// Drops the first directory of a folder part ("\A\B\" becomes "\...\B\"); the "..." that an
// earlier step left counts as no directory.
void CutFirstDirectory(QString& folder, QChar separator, const QString& dots)
{
    if (folder == separator) {
        folder.clear();
        return;
    }
    const bool root = folder.startsWith(separator);
    if (root) folder.remove(0, 1);
    if (folder.startsWith(dots)) folder.remove(0, dots.size());
    const qsizetype next = folder.indexOf(separator);
    folder = next >= 0 ? dots + folder.mid(next + 1) : QString();
    if (root) folder.prepend(separator);
}

} // namespace

QString MinimizeName(const QString& path, const std::function<int(const QString&)>& width,
                     int maxWidth, QChar separator)
{
    const QString dots = QStringLiteral("...") + separator;
    const qsizetype cut = path.lastIndexOf(separator);
    QString folder = path.left(cut + 1);
    const QString name = path.mid(cut + 1);
    QString drive;
    if (folder.size() >= 2 && folder[1] == u':') {
        drive = folder.left(2);
        folder.remove(0, 2);
    }
    // Every step removes a directory, the dots, the root or the drive, so the loop ends.
    QString result = path;
    while ((!folder.isEmpty() || !drive.isEmpty()) && width(result) > maxWidth) {
        if (folder == separator + dots) {
            drive.clear();
            folder = dots;
        } else if (folder.isEmpty()) {
            drive.clear();
        } else {
            CutFirstDirectory(folder, separator, dots);
        }
        result = drive + folder + name;
    }
    return result;
}

QString MinimizeName(const QString& path, const QFontMetrics& metrics, int maxWidth)
{
    return MinimizeName(
        path, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }, maxWidth,
        QChar(platform::kSeparator));
}
