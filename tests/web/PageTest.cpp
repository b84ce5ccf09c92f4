// kiss2bmp --page: the files it writes and the page's title, read without a browser (tests/web/chromium/ opens the
// page in Chromium).
#include "support/Test.h"

#include <regex>
#include <set>

static const fs::path kSource = KISS_SOURCE_DIR;

// What --page writes: the page and the report alone, or with --format png the set's images too (the report as with BMP
// files), never over the configuration; its title is the configuration's name as HTML text, from UTF-8 or Shift-JIS.
TEST(Page, WritesThePageAndTheReportAloneTitledAsTheConfiguration)
{
    const std::tuple<std::string, std::string, std::string> rows[] = {
        // option, configuration, title or message
        {"-q", "pip.cnf", "pip"},
        {"--format=png", "pip.cnf", "pip"},
        {"-q", "caf\xC3\xA9.cnf", "caf\xC3\xA9"},
        {"-q", "\xE8\xA1\xA8.cnf", "\xE8\xA1\xA8"},
        {"-q", "\x83\x73.cnf", "\xE3\x83\x94"},
        {"-q", "<b>&\"x\".cnf", "&lt;b&gt;&amp;&quot;x&quot;"},
        {"-q", "tab\there.cnf", "tab here"},
        {"-q", "\xFF\xFF.cnf", "KiSS"},
        {"-q", "pip.html", // into the doll's own folder, where the page would take the configuration's name
         "ﾌｧｲﾙ {doll}/./pip.html は変換の入力ﾌｧｲﾙ {doll}/pip.html と同じため書き込めません.\n"
         "kiss2bmp: cannot write the page '{doll}/./pip.html': it is the input '{doll}/pip.html'\n"}};
    for (const auto& [option, cnf, shown] : rows) {
        TempDir doll, scratch;
        fs::copy(kSource / "samples/pip", doll.Path());
        fs::rename(doll / "pip.cnf", doll / cnf);
        const auto inputs = FilesUnder(doll.Path());
        const bool refused = cnf.ends_with(".html");
        const std::string out = refused ? doll / "." : scratch / ".", stem = cnf.substr(0, cnf.rfind('.'));
        const auto r = RunProcess(KISS2BMP_PATH, {option, "--page", doll / cnf, out}, scratch.Path().string());
        EXPECT_EQ(std::regex_replace(r.err, std::regex(doll.Path().string()), "{doll}"), refused ? shown : "");
        std::set<std::string> written{stem + ".html", stem + ".txt"};
        if (option != "-q") written.insert({"back.png", "body.png", "hair.png", "shirt.png"});
        std::set<std::string> made; // the names of files that were not there
        for (const auto& [name, bytes] : FilesUnder(out))
            if (!inputs.contains(name)) made.insert(name);
        EXPECT_EQ(made, refused ? std::set<std::string>{} : written) << cnf;
        if (refused) continue;
        const std::string html = ReadText(out + "/" + stem + ".html");
        const auto at = html.find("<title>") + 7;
        EXPECT_EQ(html.substr(at, html.find("</title>") - at), shown) << cnf;
        EXPECT_EQ(ReadText(out + "/" + stem + ".txt"), ReadText(kSource / "tests/cli/golden/set0/pip.txt"));
    }
}
