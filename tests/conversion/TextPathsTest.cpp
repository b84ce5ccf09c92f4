#include "conversion/TextPaths.h"

#include <gtest/gtest.h>

namespace {

TEST(TextPaths, Table) {
    enum Op { Strip, Base, Dir, Lower };
    struct Row {
        Op op;
        std::string in, out;
    };
    // clang-format off
    const Row rows[] = {
        {Strip, R"(C:\a.b\doll)", R"(C:\a)"}, {Strip, "doll.cnf", "doll"}, {Strip, "a.b.cel", "a.b"},
        {Strip, "name.", "name"}, {Strip, ".cnf", ""}, {Strip, ".", ""}, {Strip, "doll", "doll"},
        {Strip, "", ""}, {Strip, "/home/u.v/doll", "/home/u"},

        {Base, R"(C:\k\doll)", "doll"}, {Base, R"(C:\k\doll.old)", "doll"}, {Base, R"(C:\k\a.b.c)", "a"},
        {Base, R"(C:\k\)", ""}, {Base, R"(C:\k\.x)", ""}, {Base, R"(C:\dolls\doll.old)", "doll"},
        {Base, "C:\\\x95\\x.cel", "x"}, // the second byte of a double-byte character separates
        // Below, "/" separates too (POSIX), beside "\"; a path without either is one component.
        {Base, "/home/u/doll.cnf", "doll"}, {Base, R"(dolls/sub\arm.cel)", "arm"},
        {Base, "doll.cnf", "doll"}, {Base, "doll", "doll"}, {Base, "", ""},

        {Dir, R"(C:\dolls\doll.cnf)", R"(C:\dolls\)"}, {Dir, R"(C:\doll.cnf)", R"(C:\)"},
        {Dir, R"(C:\k\)", R"(C:\k\)"}, {Dir, "C:\\\x95\\x.cel", "C:\\\x95\\"},
        {Dir, "/home/u/doll.cnf", "/home/u/"}, {Dir, R"(a\b/c.cnf)", R"(a\b/)"}, {Dir, "/doll.cnf", "/"},
        {Dir, "doll.cnf", ""}, {Dir, "", ""}, // no separator: the current folder

        {Lower, "BODY.CEL", "body.cel"}, {Lower, "\x83\x41", "\x83\x61"}, // bytes lowered one by one
        {Lower, "@AZ[`az{", "@az[`az{"}, {Lower, "\xC1\xDA\x80", "\xC1\xDA\x80"}, {Lower, "", ""},
    };
    // clang-format on
    for (const Row& r : rows) {
        const std::string got = r.op == Strip  ? StripExtension(r.in)
                                : r.op == Base ? BaseName(r.in)
                                : r.op == Dir  ? DirectoryOf(r.in)
                                               : AsciiLowerCase(r.in);
        EXPECT_EQ(got, r.out) << "operation " << r.op << " on '" << r.in << "'";
    }
}

} // namespace
