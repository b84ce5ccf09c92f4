#pragma once

#include <string>

// Names from a doll's files put into a page: nothing in them can end the page's text or script.

// A file name as a link from the page beside it: '/' between folders, UTF-8, and every byte but
// letters, digits and "-._~/" escaped.
std::string UrlOf(const std::string& fileName);

// A name as HTML text, read as UTF-8 when it is well formed and as Shift-JIS (as names from an
// archive are) otherwise; control characters shown as blanks; empty when it is neither.
std::string HtmlText(const std::string& name);
