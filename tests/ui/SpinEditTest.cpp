#include "ui/SpinEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// The set selector beside another field, in an active window, so that focus can leave it.
class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(200, 60);
        spin_->setGeometry(10, 10, 49, 22);
        other_->setGeometry(80, 10, 80, 22);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        spin_->setFocus();
        ASSERT_TRUE(spin_->hasFocus());
    }

    void Leave()
    {
        other_->setFocus();
        ASSERT_TRUE(other_->hasFocus());
    }

    QToolButton* Button(const char* name) { return spin_->findChild<QToolButton*>(name); }

    QWidget window_;
    TSpinEdit* spin_ = new TSpinEdit(&window_);
    QLineEdit* other_ = new QLineEdit(&window_);
};

} // namespace

TEST_F(SpinEditTest, StartsAtZero)
{
    EXPECT_EQ(spin_->text(), "0");
}

TEST_F(SpinEditTest, LeavingReplacesOnlyNumbersOutsideTheRange)
{
    const struct {
        const char* text;
        const char* left;
    } rows[] = {
        {"12", "9"},    {"-3", "0"},  {"2147483647", "9"}, {" 10", "9"}, {"$A", "9"},
        {"", ""},       {"+4", "+4"}, {"007", "007"},      {"-", "-"},   {"1.5", "1.5"},
        {"abc", "abc"}, {"9", "9"},   {"0", "0"},
    };
    for (const auto& row : rows) {
        spin_->setFocus();
        spin_->setText(QString::fromUtf8(row.text));
        Leave();
        EXPECT_EQ(spin_->text(), QString::fromUtf8(row.left)) << '"' << row.text << '"';
    }
}

TEST_F(SpinEditTest, TypingTakesDigitsAndSignsAndRefusesOtherKeys)
{
    spin_->clear();
    QTest::keyClicks(spin_, "1a-2x+ 3");
    EXPECT_EQ(spin_->text(), "1-2+3");
    QTest::keyClick(spin_, Qt::Key_Backspace);
    EXPECT_EQ(spin_->text(), "1-2+");
    QTest::keyClick(spin_, Qt::Key_Return);
    EXPECT_EQ(spin_->text(), "1-2+");
}

TEST_F(SpinEditTest, PasteTakesAnyText)
{
    spin_->clear();
    QApplication::clipboard()->setText("ab 12");
    QTest::keyClick(spin_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(spin_->text(), "ab 12");
}

TEST_F(SpinEditTest, StepsReadTheTextStrictlyAndClamp)
{
    const struct {
        const char* text;
        int step;
        const char* stepped;
    } rows[] = {
        {"5", 1, "6"},
        {"5", -1, "4"},
        {"9", 1, "9"},
        {"0", -1, "0"},
        {"abc", 1, "1"},
        {"abc", -1, "0"},
        {"", 1, "1"},
        {"1.5", 1, "1"},
        {"12", 1, "9"},
        {"-3", -1, "0"},
        {"+4", 1, "5"},
        {"007", -1, "6"},
        {"-2147483648", -1, "0"},
    };
    for (const auto& row : rows) {
        for (const bool byKey : {true, false}) {
            spin_->setText(QString::fromUtf8(row.text));
            if (byKey)
                QTest::keyClick(spin_, row.step > 0 ? Qt::Key_Up : Qt::Key_Down);
            else
                QTest::mouseClick(Button(row.step > 0 ? "upButton" : "downButton"), Qt::LeftButton);
            EXPECT_EQ(spin_->text(), QString::fromUtf8(row.stepped))
                << '"' << row.text << '"' << (byKey ? " by key" : " by button");
        }
    }
}
