#include "DirectoryListBox.h"

#include "ErrorDisplay.h"
#include "MinimizeName.h"
#include "Pictures.h"
#include "Volumes.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndent = 8;

// Indents each line by its depth in the path and keeps the lines at the list's line height.
class IndentedLines : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndent);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        return {natural.width() + index.data(kDepthRole).toInt() * kIndent,
                TDirectoryListBox::kLineHeight};
    }
};

QStringList Subdirectories(const QString& directory)
{
    QStringList names;
    // Without QDir::Hidden the iterator leaves out hidden names; "." and ".." are not asked for.
    QDirIterator entries(directory, QDir::Dirs | QDir::NoDotAndDotDot);
    while (entries.hasNext() && names.size() < TDirectoryListBox::kMaxSubdirectories) {
        entries.next();
        names.push_back(entries.fileName());
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return names;
}

// "C:/" for a path on a drive, else "/".
QString RootOfPath(const QString& path)
{
    return path.size() >= 3 && path[1] == u':' ? path.left(3) : QStringLiteral("/");
}

QString Join(const QString& directory, const QString& name)
{
    return directory.endsWith(u'/') ? directory + name : directory + u'/' + name;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(TVolumes& volumes, QWidget* parent)
    : QListWidget(parent), volumes_(volumes), directory_(TVolumes::ProcessDirectory())
{
    setItemDelegate(new IndentedLines(this));
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    // A line wider than the list (a long folder name, deep down) can be scrolled to.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    BuildLines();
}

void TDirectoryListBox::SetDirectory(const QString& path)
{
    if (path.isEmpty() || SamePath(QDir::cleanPath(path), directory_)) return;
    volumes_.ChangeProcessDirectory(path);
    directory_ = TVolumes::ProcessDirectory();
    BuildLines();
    ShowInLabel();
}

void TDirectoryListBox::SetDrive(const QString& root)
{
    if (root.isEmpty() || SamePath(volumes_.RootOf(directory_), root)) return;
    SetDirectory(volumes_.CurrentDirectoryOn(root));
}

void TDirectoryListBox::SetDirLabel(QLabel* label)
{
    dirLabel_ = label;
    ShowInLabel();
}

void TDirectoryListBox::ShowInLabel()
{
    if (dirLabel_ == nullptr) return;
    dirLabel_->setText(
        MinimizeName(QDir::toNativeSeparators(directory_), dirLabel_->fontMetrics(), width()));
    dirLabel_->adjustSize();
}

void TDirectoryListBox::AddLine(const QString& text, const QString& path, int depth,
                                TFolderPicture picture)
{
    auto* line = new QListWidgetItem(FolderPicture(picture, *style()), text, this);
    line->setData(kPathRole, path);
    line->setToolTip(QDir::toNativeSeparators(path));
    line->setData(kDepthRole, depth);
}

void TDirectoryListBox::BuildLines()
{
    clear();
    if (directory_.isEmpty()) return;
    const QString root = RootOfPath(directory_);
    const QStringList steps = directory_.mid(root.size()).split(u'/', Qt::SkipEmptyParts);
    const auto open = TFolderPicture::Open;
    const auto current = TFolderPicture::Current;

    AddLine(QDir::toNativeSeparators(root), root, 0, steps.isEmpty() ? current : open);
    QString path = root;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        path = Join(path, steps[i]);
        AddLine(steps[i], path, static_cast<int>(i) + 1, i + 1 == steps.size() ? current : open);
    }
    const int currentRow = count() - 1;
    const int depth = static_cast<int>(steps.size()) + 1;
    for (const QString& name : Subdirectories(directory_))
        AddLine(name, Join(directory_, name), depth, TFolderPicture::Closed);
    setCurrentRow(currentRow);
}

void TDirectoryListBox::OpenLine(int row)
{
    if (const QListWidgetItem* line = item(row)) SetDirectory(line->data(kPathRole).toString());
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        RunHandler([this] { OpenLine(currentRow()); });
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0) RunHandler([this, row] { OpenLine(row); });
}
