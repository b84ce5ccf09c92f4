#include "conversion/TextTokens.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(SplitAt, Table) {
    struct Row {
        std::string rest;
        char separator;
        std::string head, restAfter;
    };
    const Row rows[] = {
        {"12.5", '.', "12", "5"},   {"12.", '.', "12", ""},     {".5", '.', "", "5"},
        {"12", '.', "12", ""},      {"", '.', "", ""},          {"3,", ',', "3", ""},
        {"a.b.c", '.', "a", "b.c"}, {"10,20", ',', "10", "20"}, {",", ',', "", ""},
    };
    for (const Row& r : rows) {
        std::string rest = r.rest, head = "old";
        SplitAt(rest, r.separator, head);
        EXPECT_EQ(head, r.head) << r.rest;
        EXPECT_EQ(rest, r.restAfter) << r.rest;
    }
}

TEST(NextToken, TokensUntilTheLineIsEmpty) {
    struct Row {
        std::string line;
        std::vector<std::string> tokens; // one per call while the line is not empty
    };
    const Row rows[] = {
        {"", {}},
        {"  ", {""}},
        {"a b", {"a", "b"}},
        {"a\tb", {"a", "b"}},
        {"a", {"a"}},
        {"a ", {"a"}},      // one trailing blank: no further token
        {"a  ", {"a", ""}}, // two: one extra, empty token
        {"a \t ", {"a", ""}},
        {"\t x  y", {"x", "y"}}, // blanks inside only separate
        {" 10,20 * 30,40", {"10,20", "*", "30,40"}},
        {"ab\r\n\x81\x40", {"ab\r\n\x81\x40"}}, // only space and TAB are blanks
    };
    for (const Row& r : rows) {
        std::string line = r.line, token = "abc";
        std::vector<std::string> tokens;
        for (int calls = 0; !line.empty() && calls < 100; ++calls) {
            NextToken(line, token);
            tokens.push_back(token);
        }
        EXPECT_EQ(tokens, r.tokens) << "'" << r.line << "'";
        const std::string last = token;
        NextToken(line, token); // on the empty line the token keeps its value
        EXPECT_EQ(token, last);
        EXPECT_TRUE(line.empty());
    }
}

TEST(NextToken, LeavesTheBlanksAfterTheOneItRemoves) {
    std::string line = "a   b", token;
    NextToken(line, token);
    EXPECT_EQ(token, "a");
    EXPECT_EQ(line, "  b");
}

} // namespace
