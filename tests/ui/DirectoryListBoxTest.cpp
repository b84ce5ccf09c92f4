#include "UiTestSupport.h"

#include "ui/DirectoryListBox.h"
#include "ui/MinimizeName.h"
#include "ui/Volumes.h"

#include "conversion/TextErrors.h"

#include <QLabel>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

// A list on a fresh folder with the subdirectories beta, Alpha, gamma and .hidden and a file.
class DirectoryListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "beta/inner"})
            std::filesystem::create_directories(temp_ / name);
        WriteFile(temp_ / "file.txt", std::string("x"));
        ChangeDirectory(temp_.Path().string());
        list_ = std::make_unique<TDirectoryListBox>(volumes_, nullptr);
        list_->resize(201, 97);
        list_->SetDirLabel(&label_);
    }

    QStringList Lines() const
    {
        QStringList lines;
        for (int row = 0; row < list_->count(); ++row)
            lines.push_back(list_->item(row)->text());
        return lines;
    }

    QStringList Expected(const std::filesystem::path& directory, QStringList subdirectories) const
    {
        QStringList lines = {"/"};
        for (const auto& step : directory.relative_path())
            lines.push_back(QString::fromStdString(step.string()));
        return lines + subdirectories;
    }

    void DoubleClick(const QString& text)
    {
        const auto found = list_->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        const QRect place = list_->visualItemRect(found.front());
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, place.center());
    }

    QString Shown(const std::filesystem::path& directory) const
    {
        return MinimizeName(QString::fromStdString(directory.string()), label_.fontMetrics(), 201);
    }

    DirectoryKeeper keeper_;
    TempDir temp_;
    TVolumes volumes_{{FakeVolume("/", "/")}};
    QLabel label_;
    std::unique_ptr<TDirectoryListBox> list_;
};

} // namespace

TEST_F(DirectoryListBoxTest, ListsThePathThenVisibleSubdirectoriesSortedWithoutCase)
{
    EXPECT_EQ(list_->Directory(), QString::fromStdString(temp_.Path().string()));
    EXPECT_EQ(Lines(), Expected(temp_.Path(), {"Alpha", "beta", "gamma"}));
    EXPECT_EQ(list_->currentItem()->text(),
              QString::fromStdString(temp_.Path().filename().string()));
    EXPECT_EQ(label_.text(), Shown(temp_.Path()));
}

TEST_F(DirectoryListBoxTest, DoubleClickEntersASubdirectoryAndEnterGoesBackUp)
{
    DoubleClick("beta");
    EXPECT_EQ(list_->Directory(), QString::fromStdString(temp_ / "beta"));
    EXPECT_EQ(CurrentDirectory(), temp_ / "beta");
    EXPECT_EQ(Lines(), Expected(temp_.Path() / "beta", {"inner"}));
    EXPECT_EQ(label_.text(), Shown(temp_.Path() / "beta"));

    // The line of the folder above, chosen with the keys.
    list_->setCurrentRow(list_->count() - 3);
    QTest::keyClick(list_.get(), Qt::Key_Return);
    EXPECT_EQ(CurrentDirectory(), temp_.Path().string());
    EXPECT_EQ(list_->Directory(), QString::fromStdString(temp_.Path().string()));

    list_->setCurrentRow(0);
    QTest::keyClick(list_.get(), Qt::Key_Enter);
    EXPECT_EQ(list_->Directory(), "/");
    EXPECT_EQ(Lines().front(), "/");
    EXPECT_EQ(label_.text(), "/");
}

TEST_F(DirectoryListBoxTest, ADirectoryThatCannotBeEnteredIsShownAndTheListStays)
{
    const BoxCatcher catcher;
    const QStringList before = Lines();
    const QString labelBefore = label_.text();
    std::filesystem::remove(temp_ / "gamma");

    DoubleClick("gamma");
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes().front().text, "ﾌｧｲﾙが見つかりません.");
    EXPECT_EQ(list_->Directory(), QString::fromStdString(temp_.Path().string()));
    EXPECT_EQ(CurrentDirectory(), temp_.Path().string());
    EXPECT_EQ(Lines(), before);
    EXPECT_EQ(label_.text(), labelBefore);

    try {
        list_->SetDirectory(QString::fromStdString(temp_ / "file.txt"));
        FAIL() << "entered a file";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "不正なﾌｧｲﾙ名です");
    }
    EXPECT_EQ(list_->Directory(), QString::fromStdString(temp_.Path().string()));
}

TEST_F(DirectoryListBoxTest, ADeepDirectoryIsShortenedToTheListWidth)
{
    std::filesystem::path deep = temp_.Path();
    for (int level = 0; level < 12; ++level)
        deep /= "long-folder";
    std::filesystem::create_directories(deep);
    list_->SetDirectory(QString::fromStdString(deep.string()));
    EXPECT_TRUE(label_.text().startsWith("/.../long-folder")) << label_.text().toStdString();
    EXPECT_TRUE(label_.text().endsWith("/long-folder"));
    EXPECT_LE(label_.fontMetrics().horizontalAdvance(label_.text()), 201);
    EXPECT_EQ(label_.width(), label_.sizeHint().width());
}
