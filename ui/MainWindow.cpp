#include "MainWindow.h"

#include "DirectoryListBox.h"
#include "DriveComboBox.h"
#include "ErrorDisplay.h"
#include "Panel.h"
#include "Pictures.h"
#include "SpinEdit.h"

#include "platform/Exception.h"
#include "platform/File.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kClientWidth = 481;
constexpr int kClientHeight = 193;

// The window's fonts are Japanese system fonts; where they are missing, the IPA fonts share
// their measures and Noto CJK at least has every glyph of the messages.
QFont JapaneseFont(const QStringList& families, QFont::StyleHint hint)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(13);
    return font;
}

QFont WindowFont()
{
    return JapaneseFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                         QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")},
                        QFont::SansSerif);
}

QFont PanelFont()
{
    return JapaneseFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                         QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")},
                        QFont::Monospace);
}

enum Style { Regular = 0, Bold = 1, Italic = 2, Underlined = 4 };

template <typename Control> Control* Styled(Control* control, int style)
{
    QFont font = control->font();
    font.setBold(style & Bold);
    font.setItalic(style & Italic);
    font.setUnderline(style & Underlined);
    control->setFont(font);
    return control;
}

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, top, width, height);
    return control;
}

// A label that sizes itself to its text.
QLabel* AutoLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  int style)
{
    auto* label = Styled(new QLabel(text, parent), style);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* CountLabel(QWidget* parent, const char* name, int left, int top)
{
    auto* label = Place(new QLabel(QStringLiteral("0"), parent), name, left, top, 57, 13);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

TfrmMainServices MachineServices()
{
    return {[](const std::string& path) { platform::OpenInTextEditor(path); }, MountedVolumes};
}

TfrmMain::TfrmMain(TfrmMainServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)),
      volumes_(services_.listVolumes ? services_.listVolumes() : MountedVolumes()),
      OpenDialog1(volumes_)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("KISS file convertor"));
    setWindowIcon(ProgramIcon());
    setFixedSize(kClientWidth, kClientHeight);
    setFont(WindowFont());
    QPalette black = palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        black.setColor(role, Qt::black);
    setPalette(black);

    // A start in a directory that has gone gives the list the home directory instead.
    if (TVolumes::ProcessDirectory().isEmpty()) {
        try {
            volumes_.ChangeProcessDirectory(QDir::homePath());
        } catch (const Exception&) {
        }
    }
    CreateControls();
    connect(DriveComboBox2, &TDriveComboBox::Change, this, &TfrmMain::DriveComboBox2Change);
    RunHandler(
        [this] { DriveComboBox2->SetDrive(volumes_.RootOf(DirectoryListBox2->Directory())); });
    edInFile->setFocus();
}

void TfrmMain::CreateControls()
{
    Panel1 = Place(new TPanel(this), "Panel1", 0, 0, 249, kClientHeight);
    Panel2 = Place(new TPanel(this), "Panel2", 249, 0, 232, kClientHeight);
    Panel1->setFont(PanelFont());
    Panel2->setFont(PanelFont());

    Label7 = AutoLabel(Panel1, "Label7", QStringLiteral("Input Configuration File"), 16, 8,
                       Bold | Underlined);
    edInFile = Place(new QLineEdit(Panel1), "edInFile", 8, 32, 201, 21);
    SpeedButton1 = Place(new QToolButton(Panel1), "SpeedButton1", 216, 32, 25, 25);
    SpeedButton1->setIcon(OpenButtonPicture());
    SpeedButton1->setIconSize(QSize(16, 16));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    btnConv = Styled(
        Place(new QPushButton(QStringLiteral("CONVERT"), Panel1), "btnConv", 64, 64, 105, 33),
        Bold);
    btnConv->setAutoDefault(false);
    lblPalCount = CountLabel(Panel1, "lblPalCount", 56, 104);
    Label1 = AutoLabel(Panel1, "Label1", QStringLiteral("Pallet(s)"), 120, 104, Regular);
    lblCelCount = CountLabel(Panel1, "lblCelCount", 56, 120);
    Label2 = AutoLabel(Panel1, "Label2", QStringLiteral("Cell(s)"), 120, 120, Regular);
    Label3 = AutoLabel(Panel1, "Label3", QStringLiteral("Select Set"), 40, 144, Regular);
    edSelSet = Place(new TSpinEdit(Panel1), "edSelSet", 136, 144, 49, 22);

    Label4 = AutoLabel(Panel2, "Label4", QStringLiteral("Output Bmp files Location"), 16, 8,
                       Bold | Underlined);
    Label6 = AutoLabel(Panel2, "Label6", QString(), 16, 32, Bold | Italic);
    DirectoryListBox2 = Styled(
        Place(new TDirectoryListBox(volumes_, Panel2), "DirectoryListBox2", 16, 48, 201, 97), Bold);
    DirectoryListBox2->SetDirLabel(Label6);
    DriveComboBox2 = Styled(
        Place(new TDriveComboBox(volumes_, Panel2), "DriveComboBox2", 16, 152, 201, 19), Bold);

    setTabOrder(edInFile, btnConv);
    setTabOrder(btnConv, edSelSet);
    setTabOrder(edSelSet, DriveComboBox2);
    setTabOrder(DriveComboBox2, DirectoryListBox2);

    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { RunHandler([this] { SpeedButton1Click(); }); });
    connect(btnConv, &QPushButton::clicked, this,
            [this] { RunHandler([this] { btnConvClick(); }); });
}

void TfrmMain::SetInputFile(const QString& path)
{
    if (!path.isEmpty())
        edInFile->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

std::optional<std::string> TfrmMain::ExecuteOpenDialog()
{
    if (!OpenDialog1.Execute(this)) return std::nullopt;
    return PathBytes(OpenDialog1.FileName());
}

std::optional<std::size_t> TfrmMain::ChooseConfiguration(const std::vector<std::string>& names)
{
    QStringList items;
    for (const std::string& name : names)
        items << QString::fromStdString(name);
    bool ok = false;
    const QString item = QInputDialog::getItem(this, ApplicationTitle(),
                                               QStringLiteral("構成ﾌｧｲﾙ:"), items, 0, false, &ok);
    if (!ok) return std::nullopt;
    return static_cast<std::size_t>(items.indexOf(item));
}

std::string TfrmMain::InputText()
{
    return PathBytes(edInFile->text());
}

void TfrmMain::SetInputText(const std::string& text)
{
    edInFile->setText(QFile::decodeName(text.c_str()));
}

std::string TfrmMain::OutputDirectory()
{
    return PathBytes(QDir::toNativeSeparators(DirectoryListBox2->Directory()));
}

void TfrmMain::ChooseDriveOf(const std::string& path)
{
    DriveComboBox2->SetDrive(
        volumes_.RootOf(QDir::fromNativeSeparators(QFile::decodeName(path.c_str()))));
}

void TfrmMain::MoveListToChosenDrive()
{
    DirectoryListBox2->SetDrive(DriveComboBox2->Drive());
}

// The busy cursor over every window of the program.
void TfrmMain::BeginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TfrmMain::EndBusy()
{
    QApplication::restoreOverrideCursor();
}

void TfrmMain::ShowPaletteCount(const std::string& text)
{
    lblPalCount->setText(QString::fromStdString(text));
}

void TfrmMain::ShowCelCount(const std::string& text)
{
    lblCelCount->setText(QString::fromStdString(text));
}

std::string TfrmMain::SetSelectorText()
{
    return edSelSet->text().toStdString();
}

void TfrmMain::StartEditor(const std::string& reportPath)
{
    if (services_.startEditor) services_.startEditor(reportPath);
}
