#pragma once

#include <QString>

// The application's title: the program file's name without its folder, cut at its first ".",
// every character after the first in lower case, the first as it is ("/opt/MYTOOL.EXE" gives
// "Mytool", "/usr/bin/kissconv" gives "kissconv").
QString ApplicationTitleFor(const QString& programPath);
// The title of this process's program file; it heads the error boxes.
QString ApplicationTitle();
