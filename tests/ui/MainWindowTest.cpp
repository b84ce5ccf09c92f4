#include "ui/MainWindow.h"
#include "support/TempDir.h"
#include "ui/DirectoryListBox.h"
#include "ui/ErrorDisplay.h"
#include "ui/KissApplication.h"
#include "ui/common/WindowText.h"
#include "ui/Volumes.h"

#include <QStorageInfo>
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

// The window in ~/out on the root volume, a second volume at ~/b; ~ is deep in the test's folder, $ the sample doll's.
// State(), between "|": input, set, counts, drive, list (directory: subdirectories), label's last name, process's
// directory, notes (error boxes, " (unusual)" unless the program's; the editor; file dialogs), a busy cursor left up.
struct MainWindowTest : ::testing::Test {
    void TearDown() override { SetErrorBoxRunner({}); }

    template <class C = QWidget> C* Find(const char* name) { return window_.findChild<C*>(name); }
    QString Text(const char* name) { return Find(name)->property("text").toString(); }
    QString Path(QString path) const { return path.replace("~/", home_).replace("$", KISS_SOURCE_DIR "/samples/pip"); }
    TDirectoryListBox* List() { return Find<TDirectoryListBox>("DirectoryListBox2"); }
    void Edit(const std::string& path) { notes_ << (path + (QApplication::overrideCursor() ? " busy" : "")).c_str(); }
    std::string State()
    {
        QStringList lines, state;
        for (int row = 0; row < List()->count(); ++row)
            lines << List()->item(row)->text();
        state << Text("edInFile") << Text("edSelSet") << Text("lblPalCount") + Text("lblCelCount")
              << Find<QComboBox>("DriveComboBox2")->currentText()
              << List()->Directory() + ':' + lines.mid(List()->Directory().count('/') + 1).join(',')
              << Text("Label6").section('/', -1) << QDir::currentPath()
              << std::exchange(notes_, {}).join(';') + (QApplication::overrideCursor() ? " (busy cursor)" : "");
        return state.join('|').replace(home_, "~/").replace(KISS_SOURCE_DIR "/samples/pip", "$").toStdString();
    }

    int argc_ = 1;
    char name_[9] = "ui_tests", *argv_[2] = {name_, nullptr};
    KissApplication application_{argc_, argv_};
    TempDir temp_;
    const QString home_ = QString::fromStdString(temp_.Prefix()) + QString("long-folder/").repeated(12);
    QStringList notes_;
    const bool ready_ = [this] {
        SetErrorBoxRunner([this](QMessageBox& b) {
            const bool usual = b.windowTitle() == "ui_tests" && b.icon() == QMessageBox::Critical &&
                               b.standardButtons() == QMessageBox::Ok && b.windowModality() == Qt::ApplicationModal;
            notes_ << b.text() + (usual && !QApplication::overrideCursor() ? "" : " (unusual)");
        });
        for (const char* folder : {"b/kiss", "out/Beta/inner", "out/alpha", "out/gamma", "out/.hidden"})
            QDir().mkpath(Path("~/") + folder);
        return WriteFile(Path("~/b/kiss/x.cnf").toStdString(), ""), QDir::setCurrent(Path("~/out"));
    }();
    const std::vector<TVolume> volumes_{{"/", "/"}, {Path("~/b"), "b"}};
    TfrmMain window_{{std::bind_front(&MainWindowTest::Edit, this), [this] { return volumes_; }}};
    const bool shown_ = (window_.show(), QTest::qWaitForWindowActive(&window_));
};

TEST_F(MainWindowTest, IsTheConvertorWindowWhoseSetSelectorBoundsNumbersAndTakesDigitsAndSigns)
{
    EXPECT_EQ(window_.objectName() + ' ' + window_.windowTitle(), "frmMain KISS file convertor");
    EXPECT_TRUE(window_.minimumSize() == QSize(481, 193) && window_.maximumSize() == QSize(481, 193));
    EXPECT_FALSE(window_.windowIcon().isNull() || Find<QToolButton>("SpeedButton1")->icon().isNull());
    EXPECT_EQ(State(), "|0|00|/|~/out:alpha,Beta,gamma|out|~/out|");
    // The deepest line is wider than the list: it scrolls, and each line's tooltip is its whole path.
    EXPECT_TRUE(List()->horizontalScrollBar()->isVisible());
    EXPECT_EQ(List()->item(List()->count() - 1)->toolTip(), Path("~/out/gamma"));
    auto* label = Find<QLabel>("Label6"); // shortened to the list's width
    EXPECT_TRUE(label->text().startsWith("/.../long-folder/") && label->width() == label->sizeHint().width());
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), List()->width());
    for (const QFont& font : {window_.font(), Find("Panel1")->font()}) // with the glyphs of the messages
        EXPECT_TRUE(font.pixelSize() == 13 &&
                    std::ranges::all_of(QString("ﾌｧｲﾙが見つかりません不正な名です"),
                                        [&](QChar c) { return QFontMetrics(font).inFont(c); }));
    for (const char* next : {"btnConv", "edSelSet", "DriveComboBox2", "DirectoryListBox2", "edInFile"}) { // Tab's order
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
    }
    // The set selector: leaving bounds a number outside the range and keeps other text; a step reads the text strictly
    // (else 0), bounds. Rows: the text, then after Tab, Up and Down.
    auto* set = Find<QLineEdit>("edSelSet");
    const char* const rows[][2] = {{"12", "9 9 9"}, {"-3", "0 0 0"},    {"2147483647", "9 9 9"}, {" 10", "9 9 9"},
                                   {"$A", "9 9 9"}, {"+4", "+4 5 3"},   {"007", "007 8 6"},      {"", " 1 0"},
                                   {"-", "- 1 0"},  {"1.5", "1.5 1 0"}, {"abc", "abc 1 0"}};
    for (const auto& [text, after] : rows) {
        QStringList seen;
        for (const auto key : {Qt::Key_Tab, Qt::Key_Up, Qt::Key_Down})
            set->setFocus(), set->setText(text), QTest::keyClick(set, key), seen << set->text();
        EXPECT_EQ(seen.join(' ').toStdString(), after) << text;
    }
    set->setText("+4"); // then 5 by the buttons; typing adds only digits and signs
    for (const char* button : {"upButton", "upButton", "downButton"})
        QTest::mouseClick(set->findChild<QWidget*>(button), Qt::LeftButton);
    QTest::keyClicks(set, "1a-2x+ 3\b\r");
    EXPECT_EQ(set->text().toStdString(), "51-2+");
}

// In turn: a row shows the one before left nothing in its way; a file chosen moves the list only on another volume.
TEST_F(MainWindowTest, TheControlsConvertAndMoveThroughTheDirectories)
{
    // clang-format off
    const char* const rows[][5] = { // what is done; at which input, line, drive or file; by which set or filter; state; files in the output folder
        {"convert", "", "0", "|0|00|/|~/out:alpha,Beta,gamma|out|~/out|", ""},
        {"start", "../out/../b/kiss/x.cnf", "", "~/b/kiss/x.cnf|0|00|/|~/out:alpha,Beta,gamma|out|~/out|"}, // not read
        {"convert", "~/missing.cnf", "0", "~/missing.cnf|0|00|/|~/out:alpha,Beta,gamma|out|~/out|ﾌｧｲﾙが見つかりません.", "missing.txt"},
        {"convert", "$/pip.cnf", "", "$/pip.cnf||25|/|~/out:alpha,Beta,gamma|out|~/out|'' は整数ではありません.", "missing.txt pip.txt"},
        {"convert", "$/pip.cnf", "12", "$/pip.cnf|9|25|/|~/out:alpha,Beta,gamma|out|~/out|~/out/pip.txt busy", "missing.txt pip.txt"}, // the click leaves the set selector, which bounds it
        {"convert", "$/pip.cnf", "0", "$/pip.cnf|0|25|/|~/out:alpha,Beta,gamma|out|~/out|~/out/pip.txt busy", "back.bmp body.bmp hair.bmp missing.txt pip.txt shirt.bmp"},
        {"Enter", "gamma", "", "$/pip.cnf|0|25|/|~/out:alpha,Beta,gamma|out|~/out|ﾌｧｲﾙが見つかりません."}, // gone: the list stays
        {"double-click", "Beta", "", "$/pip.cnf|0|25|/|~/out/Beta:inner|Beta|~/out/Beta|"}, {"Return", "out", "", "$/pip.cnf|0|25|/|~/out:alpha,Beta|out|~/out|"},
        {"drive", "1", "", "$/pip.cnf|0|25|b|~/b:kiss|b|~/b|"}, {"drive", "0", "", "$/pip.cnf|0|25|/|~/out:alpha,Beta|out|~/out|"},
        {"choose", "$/pip.cnf", "CNF file (*.cnf)", "$/pip.cnf|0|25|/|~/out:alpha,Beta|out|$|CNF file (*.cnf) "},
        {"choose", "~/b/kiss/x.cnf", "all files (*.*)", "~/b/kiss/x.cnf|0|25|b|~/b/kiss:|kiss|~/b/kiss|CNF file (*.cnf) $/pip.cnf"},
        {"choose", "$/pip.cnf", "", "~/b/kiss/x.cnf|0|25|b|~/b/kiss:|kiss|~/b/kiss|all files (*.*) ~/b/kiss/x.cnf +README"}}; // names without a dot too
    // clang-format on
    QDir().rmdir(Path("~/out/gamma"));
    for (const auto& [action, at, by, state, written] : rows) {
        const QString verb = action;
        if (verb == "convert") {
            Find<QLineEdit>("edInFile")->setText(Path(at)), Find("edSelSet")->setFocus();
            Find<QLineEdit>("edSelSet")->setText(by), QTest::mouseClick(Find("btnConv"), Qt::LeftButton);
        } else if (verb == "start")
            window_.SetInputFile(at);
        else if (verb == "drive")
            Find<QComboBox>("DriveComboBox2")->setCurrentIndex(QString(at).toInt());
        else if (verb == "choose") { // the dialog picks the file and filter, or cancels without a filter
            QTimer::singleShot(0, &window_, [&, at = at, by = by] {
                auto& d = *qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                EXPECT_EQ(d.nameFilters().join(',') + QString::number(d.fileMode()),
                          "CNF file (*.cnf),all files (*.*),KiSS archives (*.lzh *.zip)1");
                const bool everyFile = QDir::match(d.findChild<QFileSystemModel*>()->nameFilters(), "README");
                notes_ << d.selectedNameFilter() + ' ' + d.selectedFiles().join(';') + (everyFile ? " +README" : "");
                d.selectFile(Path(at)), d.selectNameFilter(by), *by ? static_cast<QDialog&>(d).accept() : d.reject();
            });
            QTest::mouseClick(Find("SpeedButton1"), Qt::LeftButton);
        } else if (List()->setCurrentItem(List()->findItems(at, Qt::MatchExactly).last()); verb == "double-click")
            QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                               List()->visualItemRect(List()->currentItem()).center());
        else
            QTest::keyClick(List(), verb == "Return" ? Qt::Key_Return : Qt::Key_Enter);
        EXPECT_EQ(State(), state) << action << ' ' << at;
        EXPECT_EQ(written ? QDir().entryList(QDir::Files).join(' ').toStdString() : "", written ? written : "");
    }
}

// An archive holding two configurations: the window asks which one, shows ARCHIVE/MEMBER, converts the bytes read then.
TEST_F(MainWindowTest, AnArchiveWithTwoConfigurationsAsksWhichOne)
{
    const QString zip = Path("~/b/kiss/doll.zip");
    QString offered;
    QDir().mkpath(Path("~/b/kiss/doll"));
    WriteFile(Path("~/b/kiss/doll/two.cnf").toStdString(), "%PIP.KCF\r\n#1 BODY.CEL\r\n");
    QProcess::execute("/usr/bin/zip", {"-q", "-j", zip, Path("$/pip.cnf"), Path("~/b/kiss/doll/two.cnf"),
                                       Path("$/pip.kcf"), Path("$/body.cel")});
    QTimer::singleShot(0, &window_, [&] {
        auto& d = *qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        d.selectNameFilter("KiSS archives (*.lzh *.zip)"), d.selectFile(zip), static_cast<QDialog&>(d).accept();
        QTimer::singleShot(0, &window_, [&] { // then the list of the archive's configurations
            auto& list = *qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            offered = list.comboBoxItems().join(','), list.setTextValue("two.cnf"), list.accept();
        });
    });
    QTest::mouseClick(Find("SpeedButton1"), Qt::LeftButton);
    QFile::remove(zip), Find<QLineEdit>("edSelSet")->setText("0"), QTest::mouseClick(Find("btnConv"), Qt::LeftButton);
    EXPECT_EQ(State().substr(0, State().find('|')) + ' ' + offered.toStdString(),
              "~/b/kiss/doll.zip/two.cnf pip.cnf,two.cnf");
    EXPECT_EQ(QDir().entryList(QDir::Files).join(' ').toStdString(), "body.bmp two.txt x.cnf"); // into its folder
}

// The machine's mounts as the drive chooser offers them: a memory file system only when the program starts in it.
TEST(Volumes, KeepTheCurrentFoldersVolumeAndNoPseudoFileSystems)
{
    if (QStorageInfo("/dev/shm").rootPath() != "/dev/shm") GTEST_SKIP() << "/dev/shm is no mount of its own here";
    const QString was = QDir::currentPath();
    const auto offered = [](const char* root) {
        return std::ranges::any_of(MountedVolumes(), [&](const TVolume& v) { return v.rootPath == root; });
    };
    EXPECT_TRUE(offered("/") && !offered("/proc") && !offered("/dev/shm"));
    QDir::setCurrent("/dev/shm");
    EXPECT_TRUE(offered("/dev/shm"));
    QDir::setCurrent(was);
}

// Ended by a signal (logout, a closed terminal, Ctrl-C), it exits at once with 128 + its number and no temporary file.
TEST(Program, EndsCleanlyOnSignals)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        TempDir temp, runtime; // Qt's runtime folder is not ours to judge
        fs::permissions(runtime.Path(), fs::perms::owner_all);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("TMPDIR", temp.Path().c_str(), 1), ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
            ::execl(KISSCONV_PATH, KISSCONV_PATH, nullptr), ::_exit(127);
        }
        // Its handler in place (a loaded machine may start it slowly), then the window given time to come up.
        const auto caught = [&] {
            std::ifstream status("/proc/" + std::to_string(pid) + "/status");
            for (std::string line; std::getline(status, line);)
                if (line.starts_with("SigCgt:")) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
            return 0ull;
        };
        for (int i = 0; i < 600 && !caught(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        int status = 0;
        ::kill(pid, signal), ::waitpid(pid, &status, 0);
        EXPECT_EQ(std::pair(WIFEXITED(status), WEXITSTATUS(status)), std::pair(true, 128 + signal));
        EXPECT_TRUE(fs::is_empty(temp.Path())) << signal;
    }
}

TEST_F(MainWindowTest, TheProgramShowsErrorsAndEndsWhenTheWindowCloses)
{
    QTimer::singleShot(0, [] { throw std::runtime_error("done."); }); // caught by the application
    QTimer::singleShot(0, &window_, &QWidget::close);
    QTimer::singleShot(10000, &window_, [] { QApplication::exit(1); }); // a loop that the close did not end
    EXPECT_EQ(QApplication::exec(), 0);
    RunHandler([] { throw std::bad_alloc(); });
    EXPECT_EQ(std::exchange(notes_, {}).join('|').toStdString(), "done..|ﾒﾓﾘが足りません.");
}

TEST(Names, AreShownAsTheWindowShowsThem)
{
    const auto shown = [](const QString& path, std::initializer_list<int> rooms) {
        QStringList names;
        for (const int room : rooms)
            names << QString::fromStdString(MinimizeName(path.toStdString(), [](const std::string& s) { return int(s.size()); },
                                                         room, path.contains('\\') ? '\\' : '/'));
        return names.join(' ');
    };
    const auto line = [](const char* root, const char* label, const char* device, const char* type) {
        const TVolume v = DescribeVolume(root, QString::fromUtf8(label), device, type);
        return v.text + ' ' + QStringList{"removable", "fixed", "network", "optical", "ram"}[int(v.kind)];
    };
    const TVolumes volumes({{"/", "/"}, {"/srv/a", "a"}, {"/srv/ab", "ab"}});
    const auto offered = [](std::initializer_list<std::pair<const char*, const char*>> mounts) {
        QStringList roots;
        for (const auto& [root, type] : mounts)
            if (IsOfferedMount(root, type, "/home")) roots << root;
        return roots.join(' ');
    };
    // clang-format off
    const std::pair<QString, const char*> rows[] = {
        {shown("D:\\DATA\\KISS\\DOLLS", {18, 17, 12, 11, 9, 8, 0}), "D:\\DATA\\KISS\\DOLLS D:\\...\\KISS\\DOLLS D:\\...\\DOLLS ...\\DOLLS ...\\DOLLS DOLLS DOLLS"},
        {shown("/data/kiss/dolls", {15, 10, 9}), "/.../kiss/dolls /.../dolls .../dolls"}, {shown("/home/.config/kiss", {17}), "/.../.config/kiss"},
        {line("/", "ÄRGER Data", "/dev/sda1", "ext4"), "/ [Ärger data] fixed"}, {line("C:/", "SYSTEM", "", "NTFS"), "c: [system] fixed"}, // paths shortened to the room; volumes' lines (only A to Z lowered), kinds
        {line("/media/usb", "STICK", "/dev/sdb1", "vfat"), "/media/usb removable"}, {line("/tmp", "", "tmpfs", "tmpfs"), "/tmp ram"},
        {line("/mnt/share", "x", "Server:/Export", "nfs4"), "/mnt/share server:/export network"}, {line("/mnt/share", "Label", "", "cifs"), "/mnt/share [label] network"},
        {line("/mnt/cd", "DISC 1", "/dev/sr0", "iso9660"), "/mnt/cd [disc 1] optical"}, {shown("/", {1}) + ' ' + shown("/dolls", {3}), "/ dolls"},
        {volumes.RootOf("/srv/a") + ' ' + volumes.RootOf("/srv/a/x.cnf") + ' ' + volumes.RootOf("/srv/ab/x"), "/srv/a /srv/a /srv/ab"},
        {volumes.RootOf("/srv/abc/x") + ' ' + volumes.RootOf("/srv/a/../ab/x") + TVolumes({{"/srv/a", "a"}, {"/b", "b"}}).RootOf("/c"), "/ /srv/ab"},
        {offered({{"/", "ext4"}, {"/home", "xfs"}, {"/media/u/STICK", "vfat"}, {"/mnt/nas", "nfs4"}, {"/srv/x", "cifs"}, {"/run/media/u/cd", "iso9660"},
                  {"C:/", "NTFS"}, {"/boot", "ext4"}, {"/srv/data", "ext4"}, {"/tmp", "tmpfs"}, {"/proc", "proc"}, {"/sys/fs/cgroup", "cgroup2"},
                  {"/dev", "devtmpfs"}, {"/snap/core/1", "squashfs"}, {"/var/lib/docker/x", "overlay"}, {"/media/u/tmp", "tmpfs"}}),
         "/ /home /media/u/STICK /mnt/nas /srv/x /run/media/u/cd C:/"}}; // the root, home's volume, removable and network, drives
    // clang-format on
    for (const auto& [value, expected] : rows)
        EXPECT_EQ(value.toStdString(), expected);
}
