#include "ApplicationTitle.h"

#include "platform/File.h"

#include <QCoreApplication>

QString ApplicationTitleFor(const QString& programPath)
{
    const qsizetype slash = std::max(programPath.lastIndexOf(u'/'),
                                     programPath.lastIndexOf(QChar(platform::kSeparator)));
    QString name = programPath.mid(slash + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    if (name.isEmpty()) return name;
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return ApplicationTitleFor(QCoreApplication::applicationFilePath());
}
