#pragma once

#include <QString>

#include <functional>

class QFontMetrics;

// A path shortened until it fits maxWidth as measured by width: leading directories give way
// to "..." and a separator one at a time, then the drive or the root goes, and last everything
// but the final name. "D:\DATA\KISS\DOLLS" steps through "D:\...\KISS\DOLLS", "D:\...\DOLLS",
// "...\DOLLS" and "DOLLS", stopping at the first that fits.
QString MinimizeName(const QString& path, const std::function<int(const QString&)>& width,
                     int maxWidth, QChar separator);
// The same, measured in a font, with the platform's separator.
QString MinimizeName(const QString& path, const QFontMetrics& metrics, int maxWidth);
