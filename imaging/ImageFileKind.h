#pragma once

#include "MemoryStream.h"

// "GIF", "PNG" or "JPEG" when the file loaded in the stream begins as one of those image files
// do, nullptr otherwise; leaves the stream at its start. A cel that is really one is refused.
const char* ImageFileKind(MemoryStream& file);
