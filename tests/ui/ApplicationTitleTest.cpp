#include "ui/ApplicationTitle.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

TEST(ApplicationTitle, FirstCharacterKeptRestLoweredCutAtFirstDot)
{
    const struct {
        const char* programPath;
        const char* title;
    } rows[] = {
        {"/usr/bin/kissconv", "kissconv"},
        {"MYTOOL.EXE", "Mytool"},
        {"/opt/x/mY.Tool.bin", "my"},
        {"/opt/x/KissConv", "Kissconv"},
        {"/opt/dotted.dir/Prog", "Prog"},
        {"/opt/x/.hidden", ""},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ApplicationTitleFor(QString::fromUtf8(row.programPath)),
                  QString::fromUtf8(row.title))
            << row.programPath;
}

TEST(ApplicationTitle, ComesFromThisProgramFile)
{
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("ui_tests"));
}
