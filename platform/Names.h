#pragma once

#include <string>
#include <vector>

// Names of files as bytes, shared by every layer that reads a doll's or an archive's names. Every
// byte counts on its own unless a function says otherwise. In names "\" and "/" both separate
// directories on every system: DOS-style names from configuration files work everywhere, and
// Windows itself takes "/" in a path (Z:/dolls/doll.cnf).

bool IsDirectorySeparator(char c);

// A path of this system's files up to and including its last separator as the system reads it;
// empty when it holds none. On POSIX that is "/" alone: a "\" is part of a name there (the second
// byte of "ソ" in Shift-JIS, or a Windows separator an unpacker left in a name). On Windows "/" and
// "\" both, but not a "\" that ends a double-byte character of the ANSI code page.
std::string DirectoryOf(const std::string& path);
// Every byte from 'A' to 'Z' lowered; all other bytes and the length unchanged.
std::string AsciiLowerCase(const std::string& text);
// Whether text ends in the lower-case suffix, in any case of A to Z.
bool EndsWithCaseBlind(const std::string& text, const std::string& lowerSuffix);

// Names written in a configuration file or stored in an archive are Shift-JIS: a double-byte
// character (lead byte 0x81-0x9F or 0xE0-0xFC) counts as a whole, so its second byte is never
// taken for a separator and never lowered. Paths given by the user are not names: they keep the
// byte-wise functions above.
bool IsShiftJisLead(char c);
// The components of a name between separators, empty ones kept.
std::vector<std::string> NameComponents(const std::string& name);
// The name with its ASCII letters lowered, double-byte characters unchanged.
std::string NameLowerCase(const std::string& name);

// The components of a name made for this system's files (platform::FileNameFromShiftJis), empty
// ones kept, split as the system reads it: a double-byte character of its file names' code page
// (the ANSI one on Windows) counts as a whole.
std::vector<std::string> FileNameComponents(const std::string& fileName);
