#include "DirectoryListBox.h"

#include "ErrorDisplay.h"
#include "Pictures.h"
#include "Volumes.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
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

// The label's text: the path shortened to the room in the label's font.
QString FittedName(const QString& path, const QFontMetrics& metrics, int room)
{
    const auto width = [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
    return QString::fromStdString(MinimizeName(QFile::encodeName(path).toStdString(), width, room,
                                               QDir::separator().toLatin1()));
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
        FittedName(QDir::toNativeSeparators(directory_), dirLabel_->fontMetrics(), width()));
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
    std::vector<std::string> names;
    for (const QString& name : Subdirectories(directory_))
        names.push_back(QFile::encodeName(name).toStdString());
    const QString root = RootOfPath(directory_);
    int currentRow = 0;
    for (const TDirectoryLine& line :
         DirectoryLines(QFile::encodeName(root).toStdString(),
                        QFile::encodeName(directory_).toStdString(), names, '/')) {
        if (line.picture == TFolderPicture::Current) currentRow = count();
        AddLine(QDir::toNativeSeparators(QFile::decodeName(line.text.c_str())),
                QFile::decodeName(line.path.c_str()), line.depth, line.picture);
    }
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
