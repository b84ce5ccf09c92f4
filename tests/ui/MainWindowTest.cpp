#include "UiTestSupport.h"

#include "ui/ApplicationTitle.h"
#include "ui/DirectoryListBox.h"
#include "ui/DriveComboBox.h"
#include "ui/MainWindow.h"
#include "ui/SpinEdit.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct EditorRequest {
    std::string path;
    bool busyCursor = false;
};

// A window on a fresh folder "out", with a doll in the folder "doll" beside it; the editor is
// only recorded, never started.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(temp_ / "out");
        fs::create_directories(temp_ / "doll");
        doll_ = WriteDoll(temp_ / "doll");
        ChangeDirectory(temp_ / "out");
    }

    virtual std::vector<TVolume> Volumes() const { return {FakeVolume("/", "/")}; }

    TfrmMain& Window()
    {
        if (!window_) {
            TfrmMainServices services;
            services.startEditor = [this](const std::string& path) {
                const QCursor* cursor = QApplication::overrideCursor();
                editor_.push_back({path, cursor != nullptr && cursor->shape() == Qt::WaitCursor});
            };
            services.listVolumes = [this] { return Volumes(); };
            window_ = std::make_unique<TfrmMain>(services);
        }
        return *window_;
    }

    template <typename Control> Control* Find(const char* name)
    {
        auto* control = Window().findChild<Control*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    QString Text(const char* name) { return Find<QLabel>(name)->text(); }
    void Convert() { QTest::mouseClick(Find<QPushButton>("btnConv"), Qt::LeftButton); }
    void SetInput(const std::string& path)
    {
        Find<QLineEdit>("edInFile")->setText(QString::fromStdString(path));
    }
    QString OutputDirectory() { return Find<TDirectoryListBox>("DirectoryListBox2")->Directory(); }

    void ShowActive()
    {
        Window().show();
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    }

    // Answers the file dialog that the picture button opens.
    void Choose(std::function<void(QFileDialog&)> answer)
    {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answered = true;
            answer(*dialog);
        });
        QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
        EXPECT_TRUE(answered);
    }

    static void Accept(QFileDialog& dialog, const std::string& file, const QString& filter)
    {
        dialog.selectNameFilter(filter);
        dialog.selectFile(QString::fromStdString(file));
        static_cast<QDialog&>(dialog).accept(); // the file dialog checks the file first
    }

    DirectoryKeeper keeper_;
    TempDir temp_;
    std::string doll_;
    std::vector<EditorRequest> editor_;
    std::unique_ptr<TfrmMain> window_;
};

} // namespace

TEST_F(MainWindowTest, IsTheConvertorWindow)
{
    EXPECT_EQ(Window().objectName(), "frmMain");
    EXPECT_EQ(Window().windowTitle(), "KISS file convertor");
    EXPECT_EQ(Window().minimumSize(), QSize(481, 193));
    EXPECT_EQ(Window().maximumSize(), QSize(481, 193));
    EXPECT_FALSE(Window().windowIcon().isNull());
    EXPECT_FALSE(Find<QToolButton>("SpeedButton1")->icon().isNull());
    EXPECT_EQ(Text("lblPalCount"), "0");
    EXPECT_EQ(Text("lblCelCount"), "0");
    EXPECT_EQ(Find<TSpinEdit>("edSelSet")->text(), "0");
    EXPECT_EQ(OutputDirectory(), QString::fromStdString(temp_ / "out"));
    EXPECT_EQ(Find<TDriveComboBox>("DriveComboBox2")->currentText(), "/");
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgramsLoopWithZero)
{
    Window().show();
    QTimer::singleShot(0, &Window(), &QWidget::close);
    QTimer stuck; // ends a loop that the close did not end, so the test fails instead of hanging
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QApplication::exit(1); });
    stuck.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(MainWindowTest, FontsShowTheJapaneseMessages)
{
    const QString message = QStringLiteral("ﾌｧｲﾙが見つかりません 不正なﾌｧｲﾙ名です");
    for (const QWidget* widget : {static_cast<QWidget*>(&Window()), Find<QWidget>("Panel1")}) {
        const QFontMetrics metrics(widget->font());
        for (const QChar c : message)
            EXPECT_TRUE(c == u' ' || metrics.inFont(c)) << widget->objectName().toStdString();
        EXPECT_EQ(widget->font().pixelSize(), 13);
    }
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsInOrder)
{
    ShowActive();
    Find<QLineEdit>("edInFile")->setFocus();
    QStringList visited;
    for (int step = 0; step < 5; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, QStringList({"btnConv", "edSelSet", "DriveComboBox2", "DirectoryListBox2",
                                    "edInFile"}));
}

TEST_F(MainWindowTest, ConvertWithAnEmptyFieldDoesNothing)
{
    const BoxCatcher catcher;
    Convert();
    EXPECT_TRUE(catcher.Boxes().empty());
    EXPECT_TRUE(editor_.empty());
    EXPECT_TRUE(fs::is_empty(temp_ / "out"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ConvertsTheDollIntoTheOutputList)
{
    const BoxCatcher catcher;
    SetInput(doll_);
    Convert();

    EXPECT_TRUE(catcher.Boxes().empty());
    EXPECT_EQ(Text("lblPalCount"), "1");
    EXPECT_EQ(Text("lblCelCount"), "2");
    EXPECT_EQ(ReadFile(temp_ / "out/a.bmp").size(), 1078u + 2 * 4);
    EXPECT_FALSE(fs::exists(temp_ / "out/b.bmp"));
    EXPECT_EQ(ReadText(temp_ / "out/doll.txt"),
              "<PARAM NAME=\"image0\" VALUE=\"a,0,0,10,20\">\r\n");
    ASSERT_EQ(editor_.size(), 1u);
    EXPECT_EQ(editor_[0].path, temp_ / "out/doll.txt");
    EXPECT_TRUE(editor_[0].busyCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ASetOutsideTheRangeIsBoundedWhenConvertIsClicked)
{
    ShowActive();
    SetInput(doll_);
    auto* selector = Find<TSpinEdit>("edSelSet");
    selector->setFocus();
    selector->setText("12");
    Convert();

    EXPECT_EQ(selector->text(), "9");
    EXPECT_TRUE(fs::exists(temp_ / "out/b.bmp"));
    EXPECT_FALSE(fs::exists(temp_ / "out/a.bmp"));
    EXPECT_EQ(ReadText(temp_ / "out/doll.txt"), "<PARAM NAME=\"image1\" VALUE=\"b,1,0,7,8\">\r\n");
}

TEST_F(MainWindowTest, AFailedRunIsShownWithTheNormalCursorAndANewRunWorks)
{
    const BoxCatcher catcher;
    SetInput(temp_ / "doll/missing.cnf");
    Convert();
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    const ShownBox& box = catcher.Boxes()[0];
    EXPECT_EQ(box.text, "ﾌｧｲﾙが見つかりません.");
    EXPECT_EQ(box.title, ApplicationTitle());
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::Ok);
    EXPECT_TRUE(box.normalCursor);
    EXPECT_TRUE(editor_.empty());

    SetInput(doll_);
    Convert();
    EXPECT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(editor_.size(), 1u);
    EXPECT_EQ(Text("lblCelCount"), "2");
}

TEST_F(MainWindowTest, AnEmptySetSelectorFailsTheRunWithTheConversionError)
{
    ShowActive();
    const BoxCatcher catcher;
    SetInput(doll_);
    auto* selector = Find<TSpinEdit>("edSelSet");
    selector->setFocus();
    selector->clear();
    Convert();

    EXPECT_EQ(selector->text(), "");
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].text, "'' は整数ではありません.");
    EXPECT_EQ(Text("lblPalCount"), "1");
    EXPECT_EQ(Text("lblCelCount"), "2");
    EXPECT_TRUE(editor_.empty());
}

namespace {

// Two more volumes at a/ and b/ of the folder; the window starts in a/out.
class TwoVolumesTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        for (const char* folder : {"a/out", "a/dolls", "b/kiss"})
            fs::create_directories(temp_ / folder);
        sameVolume_ = WriteDoll(temp_ / "a/dolls");
        otherVolume_ = WriteDoll(temp_ / "b/kiss");
        ChangeDirectory(temp_ / "a/out");
    }

    std::vector<TVolume> Volumes() const override
    {
        return {FakeVolume("/", "/"), FakeVolume(Root("a"), "a"), FakeVolume(Root("b"), "b")};
    }

    QString Root(const char* name) const { return QString::fromStdString(temp_ / name); }
    QString Drive() { return Find<TDriveComboBox>("DriveComboBox2")->Drive(); }
    QString Input() { return Find<QLineEdit>("edInFile")->text(); }

    std::string sameVolume_;
    std::string otherVolume_;
};

} // namespace

TEST_F(TwoVolumesTest, AFileOnTheListsVolumeLeavesTheListWhereItIs)
{
    const QString label = Text("Label6");
    Choose([this](QFileDialog& d) { Accept(d, sameVolume_, "CNF file (*.cnf)"); });
    EXPECT_EQ(Input(), QString::fromStdString(sameVolume_));
    EXPECT_EQ(Drive(), Root("a"));
    EXPECT_EQ(OutputDirectory(), Root("a") + "/out");
    EXPECT_EQ(Text("Label6"), label);
    EXPECT_EQ(CurrentDirectory(), temp_ / "a/dolls");
}

TEST_F(TwoVolumesTest, AFileOnAnotherVolumeTakesTheListToItsFolder)
{
    Choose([this](QFileDialog& d) { Accept(d, otherVolume_, "CNF file (*.cnf)"); });
    EXPECT_EQ(Input(), QString::fromStdString(otherVolume_));
    EXPECT_EQ(Drive(), Root("b"));
    EXPECT_EQ(Find<TDriveComboBox>("DriveComboBox2")->currentText(), "b");
    EXPECT_EQ(OutputDirectory(), Root("b") + "/kiss");
    EXPECT_TRUE(Text("Label6").endsWith("/kiss"));

    // Back on the first volume the list returns to the directory it had there.
    Find<TDriveComboBox>("DriveComboBox2")->setCurrentIndex(1);
    EXPECT_EQ(OutputDirectory(), Root("a") + "/out");
}

TEST_F(TwoVolumesTest, AVolumeWithoutACurrentDirectoryOpensAtItsRoot)
{
    Find<TDriveComboBox>("DriveComboBox2")->setCurrentIndex(2);
    EXPECT_EQ(Drive(), Root("b"));
    EXPECT_EQ(OutputDirectory(), Root("b"));
    EXPECT_EQ(CurrentDirectory(), temp_ / "b");
}

TEST_F(TwoVolumesTest, CancellingTheDialogChangesNothing)
{
    Choose([](QFileDialog& d) { d.reject(); });
    EXPECT_EQ(Input(), "");
    EXPECT_EQ(Drive(), Root("a"));
    EXPECT_EQ(OutputDirectory(), Root("a") + "/out");
    EXPECT_EQ(CurrentDirectory(), temp_ / "a/out");
}

TEST_F(TwoVolumesTest, TheDialogOpensAgainOnTheLastFileAndFilter)
{
    QStringList filters;
    Choose([&](QFileDialog& d) {
        filters = d.nameFilters();
        EXPECT_EQ(d.selectedNameFilter(), "CNF file (*.cnf)");
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        Accept(d, otherVolume_, "all files (*.*)");
    });
    EXPECT_EQ(filters, QStringList({"CNF file (*.cnf)", "all files (*.*)"}));

    Choose([&](QFileDialog& d) {
        EXPECT_EQ(d.selectedNameFilter(), "all files (*.*)");
        EXPECT_EQ(d.selectedFiles(), QStringList({QString::fromStdString(otherVolume_)}));
        d.reject();
    });
    EXPECT_EQ(Input(), QString::fromStdString(otherVolume_));
}
