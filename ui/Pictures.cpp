#include "Pictures.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QSvgRenderer>

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace {

QIcon FromSvg(const QString& resource, std::initializer_list<int> sizes)
{
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
    QSvgRenderer renderer(resource);
    QIcon icon;
    if (!renderer.isValid()) return icon;
    for (const int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ProgramIcon()
{
    return FromSvg(":/pictures/kissconv.svg", {16, 24, 32, 48, 64, 128, 256});
}

QIcon OpenButtonPicture()
{
    return FromSvg(":/pictures/open.svg", {16, 32});
}

QIcon FolderPicture(TFolderPicture kind, const QStyle& style)
{
    switch (kind) {
    case TFolderPicture::Closed:
        return style.standardIcon(QStyle::SP_DirClosedIcon);
    case TFolderPicture::Open:
        return style.standardIcon(QStyle::SP_DirOpenIcon);
    case TFolderPicture::Current:
        break;
    }
    // The current directory: the open folder, tinted so that it stands out from its parents.
    QPixmap pixmap = style.standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(pixmap.rect(), QColor(0, 64, 192, 110));
    painter.end();
    return QIcon(pixmap);
}

QIcon DrivePicture(TVolumeKind kind, const QStyle& style)
{
    switch (kind) {
    case TVolumeKind::Removable:
        return style.standardIcon(QStyle::SP_DriveFDIcon);
    case TVolumeKind::Network:
        return style.standardIcon(QStyle::SP_DriveNetIcon);
    case TVolumeKind::Optical:
        return style.standardIcon(QStyle::SP_DriveCDIcon);
    case TVolumeKind::Ram:
        return style.standardIcon(QStyle::SP_ComputerIcon);
    case TVolumeKind::Fixed:
        break;
    }
    return style.standardIcon(QStyle::SP_DriveHDIcon);
}
