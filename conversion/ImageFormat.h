#pragma once

// How the images are written: 8-bit BMP files, indexed PNG files with colour 0 transparent, or
// not at all (a page holds its pictures itself).
enum class ImageFormat { Bmp, Png, None };
