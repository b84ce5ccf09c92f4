#include "OpenDialog.h"

#include "Volumes.h"

#include "platform/Exception.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFileInfo>
#include <QScreen>

namespace {

const QStringList& Filters()
{
    static const QStringList filters = {QStringLiteral("CNF file (*.cnf)"),
                                        QStringLiteral("all files (*.*)"),
                                        QStringLiteral("KiSS archives (*.lzh *.zip)")};
    return filters;
}

// Centred across the screen, its top at a third of the free height.
void Place(QFileDialog& dialog, const QWidget* owner)
{
    const QScreen* screen = owner != nullptr ? owner->screen() : dialog.screen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    dialog.resize(dialog.sizeHint());
    dialog.move(area.x() + (area.width() - dialog.width()) / 2,
                area.y() + (area.height() - dialog.height()) / 3);
}

} // namespace

bool TOpenDialog::Execute(QWidget* owner)
{
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(Filters());
    dialog.selectNameFilter(filter_.isEmpty() ? Filters().first() : filter_);
    // "*.*" matches only names with a dot here: the entry keeps its label and shows every file
    // (README, a configuration saved without extension).
    const auto everyFile = [&dialog](const QString& filter) {
        auto* model = dialog.findChild<QFileSystemModel*>();
        if (model != nullptr && filter == Filters()[1]) model->setNameFilters({QStringLiteral("*")});
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, everyFile);
    everyFile(dialog.selectedNameFilter());
    if (!fileName_.isEmpty()) dialog.selectFile(fileName_);
    Place(dialog, owner);
    if (dialog.exec() != QDialog::Accepted) return false;

    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    const QFileInfo file(chosen.first());
    fileName_ = QDir::toNativeSeparators(file.absoluteFilePath());
    filter_ = dialog.selectedNameFilter();
    try {
        volumes_.ChangeProcessDirectory(file.absolutePath());
    } catch (const Exception&) {
        // The file was chosen; a folder that vanished since only leaves the directory as it was.
    }
    return true;
}
