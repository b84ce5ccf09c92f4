#include "ui/MinimizeName.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

int Length(const QString& text)
{
    return static_cast<int>(text.size());
}

} // namespace

TEST(MinimizeName, StepsUntilTheFirstThatFits)
{
    const struct {
        const char* path;
        char separator;
        int maxWidth;
        const char* shown;
    } rows[] = {
        {"D:\\DATA\\KISS\\DOLLS", '\\', 18, "D:\\DATA\\KISS\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 17, "D:\\...\\KISS\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 16, "D:\\...\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 12, "D:\\...\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 11, "...\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 9, "...\\DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 8, "DOLLS"},
        {"D:\\DATA\\KISS\\DOLLS", '\\', 0, "DOLLS"},
        {"/data/kiss/dolls", '/', 16, "/data/kiss/dolls"},
        {"/data/kiss/dolls", '/', 15, "/.../kiss/dolls"},
        {"/data/kiss/dolls", '/', 10, "/.../dolls"},
        {"/data/kiss/dolls", '/', 9, ".../dolls"},
        {"/data/kiss/dolls", '/', 8, "dolls"},
        {"/home/.config/kiss", '/', 17, "/.../.config/kiss"},
        {"/", '/', 1, "/"},
        {"/dolls", '/', 3, "dolls"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            MinimizeName(QString::fromUtf8(row.path), Length, row.maxWidth, QChar(row.separator)),
            QString::fromUtf8(row.shown))
            << row.path << " in " << row.maxWidth;
    }
}

TEST(MinimizeName, MeasuresInTheFont)
{
    QFont font;
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    const QString path = QStringLiteral("/data/kiss/dolls");
    const int room = metrics.horizontalAdvance(QStringLiteral("/.../dolls"));
    EXPECT_EQ(MinimizeName(path, metrics, room), QStringLiteral("/.../dolls"));
    EXPECT_EQ(MinimizeName(path, metrics, metrics.horizontalAdvance(path)), path);
}
