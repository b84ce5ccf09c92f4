#pragma once

// How the images are written: 8-bit BMP files, or indexed PNG files with colour 0 transparent.
enum class ImageFormat { Bmp, Png };
