// kiss2bmp: its command line read in-process; through its process the sample doll against its committed golden output,
// usage errors, signals, --open, --check, progress on a terminal and the files --page writes (tests/web/chromium/ opens
// the page in Chromium).
#include "cli/Arguments.h"
#include "imaging/PngDecoder.h"
#include "support/Test.h"

#include <ImageWriter.h>
#include <regex>
#include <set>
#include <thread>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

static const fs::path kSource = KISS_SOURCE_DIR;
static const std::string kSample = (kSource / "samples/pip/pip.cnf").string();

TEST(Kiss2bmp, SampleDollGivesTheGoldenFilesInEverySet)
{
    // Set text as the window's selector reads it: "+02" is set 2; the output defaults to ".".
    for (const std::string set : {"0", "1", "+02"}) {
        TempDir out;
        const auto r = RunProcess(KISS2BMP_PATH, {"--set", set, kSample}, out.Path().string(), out.Path().string());
        EXPECT_EQ(r.status, 0);
        const auto golden = FilesUnder(kSource / "tests/cli/golden" / ("set"s + set.back()));
        const std::string images = "images: " + std::to_string(golden.size() - 1) + " BMP files\n";
        EXPECT_EQ(r.out + r.err, "palettes: 2\ncels: 5\n" + images + "report: " + Native("./pip.txt") + "\n");
        EXPECT_TRUE(FilesUnder(out.Path()) == golden) << "set " << set;
    }
    TempDir made; // the generator and the committed doll agree
    EXPECT_EQ(RunProcess(MAKE_SAMPLE_DOLL_PATH, {made.Path().string()}, made.Path().string()).status, 0);
    EXPECT_TRUE(FilesUnder(made.Path()) == FilesUnder(kSource / "samples/pip"));
}

// The command line read in-process, then through the process: the exit status and all it prints, nothing written.
TEST(Kiss2bmp, ReadsItsCommandLineAndRefusesBadUseBeforeWritingAnything)
{
    const auto parsed = [](const std::vector<std::string>& arguments) {
        const Command c = ParseArguments(arguments);
        if (c.kind == Command::UsageError) return "usage: " + c.problem;
        std::string dolls;
        for (const std::string& doll : c.dolls)
            dolls += (dolls.empty() ? "" : ",") + doll;
        return (c.kind == Command::Check ? "check " : "convert ") + c.setText + ' ' + c.cnfName.value_or("-") + ' ' +
               dolls + ' ' + c.output + (c.format == ImageFormat::Png ? " png " : " bmp ") + c.snapshotPath +
               (c.page ? " page" : "") + (c.texts ? "" : " no-texts") + (c.open ? " open" : "") +
               (c.quiet ? " quiet" : "") + (c.verbose ? " verbose" : "") +
               (c.jobs > 1 ? " j" + std::to_string(c.jobs) : "");
    };
    TempDir out;
    const std::string folder = out.Path().string(), help = "\nTry 'kiss2bmp --help' for more information.\n";
    // clang-format off
    const std::string usage = UsageText(), manual = ReadText((kSource / "cli/kiss2bmp.1").string());
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--set", "+02", "--open", "--format=png", "--snapshot", "s.PNG", "d.cnf", "out"}, "convert +02 - d.cnf out png s.PNG open"},
        {{"--page", "d.cnf"}, "convert 0 - d.cnf . bmp  page"}, /* PNG by the run's rule */ {{"--set=x", "--", "--page"}, "convert x - --page . bmp "},
        {{"--check", "--cnf=A.CNF", "d.zip"}, "check 0 A.CNF d.zip . bmp "},
        {{"--bogus", "--help"}, "usage: unknown option --bogus"}, {{}, "usage: no configuration file given"}, {{"--set"}, "usage: --set needs a set number"},
        {{"--set", "10", "d.cnf"}, "usage: the set number must be 0 to 9, not '10'"}, {{"--set=-1", "d.cnf"}, "usage: the set number must be 0 to 9, not '-1'"}, {{"", "out"}, "usage: the configuration file name is empty"},
        {{"d.cnf", ""}, "usage: the output folder name is empty"}, {{"--check", "d.cnf", "out"}, "usage: --check writes nothing: no output folder"}, {{"--cnf=", "d.cnf"}, "usage: the configuration name is empty"},
        {{"--format", "gif", "d.cnf"}, "usage: the format must be bmp or png, not 'gif'"}, {{"--snapshot=", "d.cnf"}, "usage: the picture file name is empty"}, {{"--check", "--page", "d.cnf"}, "usage: --check writes nothing: no page"},
        {{"--page", "--format=bmp", "d.cnf"}, "usage: --page shows the doll as viewers do, BMP files as designed: not --format bmp"},
        {{"--page", "--no-texts", "d.cnf"}, "convert 0 - d.cnf . bmp  page no-texts"}, {{"--no-texts", "d.cnf"}, "usage: --no-texts leaves the texts out of a page: give --page"},
        // Operands that are no doll; an option's value is never the next option, nor a doll where a set belongs.
        {{"-"}, "usage: '-' is no doll: kiss2bmp reads files, not standard input"}, {{"x/.cnf", "o"}, "usage: 'x/.cnf' names no file"},
        {{".x.cnf"}, "usage: '.x.cnf' starts with '.': the report is named after what comes before the first '.' of the name, and that is nothing"},
        {{"\x83\\.cnf"}, "convert 0 - \x83\\.cnf . bmp "}, // "ソ.cnf": its second byte is no separator
        {{folder}, "usage: '" + folder + "' is a folder: give the doll's .cnf file or its .lzh or .zip archive"},
        {{"--set", "d.cnf"}, "usage: --set needs a set number"}, {{"--cnf", "--page", "d.zip"}, "usage: --cnf needs a configuration name"},
        {{"d.cnf", "-o"}, "usage: -o needs an output folder"}, {{"--snapshot", "x.jpg", "d.cnf"}, "usage: the picture is a PNG file: its name must end in .png, not 'x.jpg'"},
        // Several dolls: the last operand is the output folder when it is one, or is named like no doll; -o names it.
        {{"a.cnf", "b.cnf", folder, "-j", "3", "-q"}, "convert 0 - a.cnf,b.cnf " + folder + " bmp  quiet j3"},
        {{"a.cnf", "b.cnf", "out", "-v", "-j2"}, "convert 0 - a.cnf,b.cnf out bmp  verbose j2"}, {{"-o", "o", "a.cnf", "x"}, "convert 0 - a.cnf,x o bmp "},
        {{"a.cnf", "b.cnf"}, "convert 0 - a.cnf,b.cnf . bmp "}, {{"-j0", "d.cnf"}, "usage: -j needs a number of dolls of 1 or more, not '0'"}, {{"-q", "-v", "d.cnf"}, "usage: -q and -v: choose one"},
        {{"a.cnf", "b.cnf", "--open"}, "usage: --open opens one report: give one doll"}, {{"--check", "a.cnf", "b.cnf"}, "usage: --check takes one doll at a time"},
        {{"a.cnf", "b.cnf", "--cnf=x.cnf"}, "usage: --cnf chooses a configuration in one doll: give one doll"}};
    const std::tuple<std::vector<std::string>, int, std::string> processes[] = { // one decided once the doll is open
        {{"--\x1b[2J"}, 2, "kiss2bmp: unknown option --\\x1B[2J" + help}, {{"--cnf", "pip.cnf", kSample}, 2, "kiss2bmp: --cnf chooses a configuration inside an archive" + help},
        {{"--help", "--bogus"}, 0, usage}, {{"--version"}, 0, "kiss2bmp " KISS_VERSION "\n"}};
    // clang-format on
    for (const auto& [arguments, command] : rows)
        EXPECT_EQ(parsed(arguments), command);
    for (const auto& [arguments, status, printed] : processes) {
        const auto r = RunProcess(KISS2BMP_PATH, arguments, out.Path().string(), out.Path().string());
        EXPECT_EQ(std::pair(r.status, r.out + r.err), std::pair(status, printed));
    }
    EXPECT_TRUE(FilesUnder(out.Path()).empty());
    for (std::size_t at = usage.find("  --"); at != std::string::npos; at = usage.find("  --", at + 1)) {
        const std::string option = usage.substr(at + 4, usage.find(' ', at + 4) - at - 4); // has its paragraph there
        const std::string written = std::regex_replace(option, std::regex("-"), R"(\\-)");
        EXPECT_TRUE(std::regex_search(manual, std::regex(R"(\.TP\n\.BI? \\-\\-)" + written + "[ \n]"))) << option;
    }
}

// --open with a recording xdg-open: the editor gets an absolute path; a summary that cannot be written fails.
TEST(Kiss2bmp, OpensTheReportByItsAbsolutePathAndFailsWhenTheSummaryIsLost)
{
#ifdef _WIN32
    GTEST_SKIP() << "the editor is Notepad there, with no stand-in to record it, and no device refuses output";
#endif
    TempDir dir;
    const std::string d = dir.Path().string();
    WriteFile(d + "/xdg-open", "#!/bin/sh\necho \"$@\" >\"$0.args\"\n");
    fs::permissions(d + "/xdg-open", fs::perms::owner_all);
    const auto r =
        RunProcess("/bin/sh", {"-c", "PATH=$1 exec \"$0\" --open \"$2\" >/dev/full", KISS2BMP_PATH, d, kSample}, d, d);
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(1, "kiss2bmp: the summary could not be written to standard output\n"));
    // It is not waited for: the file may be there before its line is.
    const std::string args = dir / "xdg-open.args";
    for (int wait = 0; wait < 100 && !(fs::exists(args) && ReadText(args).ends_with("\n")); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadText(args), dir / "./pip.txt\n");
}

#ifndef _WIN32 // no script(1) there, no signals (Ctrl-C goes to a console handler), no tab, "<" or '"' in a name
// On a terminal (script(1) gives it one) the work done is one line rewritten in place, cleared before what follows;
// -q shows none. Elsewhere nothing: the other tests read stderr from a pipe.
TEST(Kiss2bmp, ShowsProgressOnATerminalOnly)
{
    const auto clear = [](std::size_t n) { return "\r" + std::string(n, ' ') + "\r"; };
    const std::string summary = "palettes 2, cels 5, images 4 BMP files, report ";
    const std::pair<std::string, std::string> rows[] = {
        {"'$0' out",
         "\rkiss2bmp: cels 1 of 4\rkiss2bmp: cels 2 of 4\rkiss2bmp: cels 3 of 4\rkiss2bmp: cels 4 of 4" + clear(21) +
             "made the output folder out\r\npalettes: 2\r\ncels: 5\r\nimages: 4 BMP files\r\nreport: out/pip.txt\r\n"},
        {"-q '$0' out", ""},
        {"'$0' '$0' -o two -j1", "made the output folder two\r\n$0: " + summary +
                                     "two/pip/pip.txt\r\n\rkiss2bmp: dolls 1 of 2" + clear(22) + "$0: " + summary +
                                     "two/pip-2/pip.txt\r\n\rkiss2bmp: dolls 2 of 2" + clear(22) +
                                     "dolls: 2 converted, 0 failed\r\n"}};
    for (const auto& [arguments, shown] : rows) {
        TempDir dir;
        const std::string command = "exec " + std::string(KISS2BMP_PATH) + " " + arguments;
        const auto r = RunProcess("/usr/bin/script",
                                  {"-qec", std::regex_replace(command, std::regex("\\$0"), kSample), "/dev/null"},
                                  dir.Path().string(), dir.Path().string());
        EXPECT_EQ(r.out, std::regex_replace(shown, std::regex("\\$0"), kSample)) << arguments;
    }
}

// Held at its summary by a full pipe, after the run, kiss2bmp is sent signals: one it was started ignoring stays
// ignored (nohup), the others end it with 128 + their number (rows: SIGHUP ignored at start, signals, exit status).
TEST(Kiss2bmp, ExitStatusOfASignal)
{
    const std::tuple<bool, std::vector<int>, int> rows[] = {
        {false, {SIGINT}, 130}, {false, {SIGTERM}, 143}, {false, {SIGHUP}, 129}, {true, {SIGHUP, SIGTERM}, 143}};
    for (const auto& [ignoreHup, signals, status] : rows) {
        TempDir out;
        int pipe[2], got = 0;
        ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
        while (::write(pipe[1], kSample.data(), kSample.size()) > 0) {
        }
        ::fcntl(pipe[1], F_SETFL, 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (const int s : {SIGINT, SIGTERM, SIGHUP})
                std::signal(s, s == SIGHUP && ignoreHup ? SIG_IGN : SIG_DFL);
            ::dup2(pipe[1], 1);
            ::execl(KISS2BMP_PATH, KISS2BMP_PATH, kSample.c_str(), out.Prefix().c_str(), nullptr);
            ::_exit(127);
        }
        ::close(pipe[1]);
        for (int i = 0; i < 2000 && !fs::exists(out / "pip.txt"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const int s : signals) {
            ::kill(pid, s);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ::waitpid(pid, &got, 0);
        ::close(pipe[0]);
        EXPECT_EQ(std::pair(WIFEXITED(got), WEXITSTATUS(got)), std::pair(true, status)) << signals.front();
    }
}

// What --page writes: the page and the report alone, or with --format png the set's images too (the report as with BMP
// files), never over the configuration nor the author's text it shows; its title is the configuration's name as HTML
// text, from UTF-8 or Shift-JIS.
TEST(Kiss2bmp, PageWritesThePageAndTheReportAloneTitledAsTheConfiguration)
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
         "kiss2bmp: cannot write the page '{doll}/./pip.html': it is the input '{doll}/pip.html'\n"},
        {"-q", "pip.cnf", // there, where the report would take the name of the author's pip.txt, which the page shows
         "ﾌｧｲﾙ {doll}/./pip.txt は変換の入力ﾌｧｲﾙ {doll}/pip.txt と同じため書き込めません.\n"
         "kiss2bmp: cannot create the report '{doll}/./pip.txt': it is the author's text '{doll}/pip.txt', which the "
         "page shows\n"}};
    for (const auto& [option, cnf, shown] : rows) {
        TempDir doll, scratch;
        fs::copy(kSource / "samples/pip", doll.Path());
        fs::rename(doll / "pip.cnf", doll / cnf);
        const bool refused = shown.starts_with("ﾌｧｲﾙ");
        if (refused && cnf.ends_with(".cnf")) WriteFile(doll / "pip.txt", "About Pip\n");
        const auto inputs = FilesUnder(doll.Path());
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
        const std::size_t colours = html.find("\"colours\":"), readmes = html.find("\"readmes\":");
        EXPECT_EQ(std::regex_replace(html.substr(colours, readmes - colours),
                                     std::regex(R"(\["#[0-9a-f]{6}","#[0-9a-f]{6}"\])"), "G"),
                  "\"colours\":[G,G,G,G,G,G,G,G,G,G],\n") // the play area's and border's of each palette group
            << cnf;
        EXPECT_EQ(ReadText(out + "/" + stem + ".txt"), ReadText(kSource / "tests/cli/golden/set0/pip.txt"));
    }
}
#endif

// --check on a doll with a file in another case, one in two cases, one missing and one no line names, from its
// folder and from a zip of it, and --cnf choosing among two configurations.
TEST(Kiss2bmp, ChecksADollAndChoosesItsConfiguration)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder there cannot hold Hat.Cel and hat.cel";
#endif
    TempDir dir;
    const std::string doll = dir / "doll/", zip = dir / "doll.zip";
    fs::copy(kSource / "samples/pip", doll);
    fs::rename(doll + "hair.cel", doll + "Hair.Cel");
    fs::copy_file(doll + "hat.cel", doll + "Hat.Cel");
    fs::remove(doll + "shirt.cel");
    WriteFile(doll + "readme.txt", "");
    WriteFile(doll + "two.cnf", "%NONE.KCF\r\n#300 BODY.CEL *3 :4\r\n");
    WriteFile(zip, ZipOf(doll));
    // A doll unpacked among other files: texts of the user's own in subfolders, folders deeper than --check looks.
    const std::string dl = dir / "dl/", dlCnf = dl + "pip.cnf", dlZip = dir / "dl.zip", big = dir / "big/";
    fs::copy(kSource / "samples/pip", dl);
    fs::create_directories(dl + "tax");
    fs::create_directories(dl + "other/" + Repeat("d/", 32) + "d");
    for (const std::string name : {"readme.txt", "tax/a-passwords.txt", "other/letter.doc"})
        WriteFile(dl + name, name);
    WriteFile(dl + "other/" + Repeat("d/", 33) + "deep.cel", "");
    WriteFile(dlZip, ZipOf(dl));
    // A cel whose picture the BMP run refuses (65535 x 65535 pixels), a name leading out of the output folder.
    fs::create_directories(big);
    fs::copy_file(kSource / "samples/pip/pip.kcf", big + "pip.kcf");
    WriteFile(big + "big.cel", "\xFF\xFF\xFF\xFF");
    WriteFile(big + "big.cnf", "%pip.kcf\r\n#0 big.cel *0 :0\r\n#1 ..\\up.cel *0 :0\r\n$0 0,0 0,0\r\n");
    fs::create_directories(dir / "lk");
    fs::create_directory_symlink(dir.Path(), dir / "lk/pip"); // a doll's folder in the output folder, leading out
    fs::create_symlink("nowhere", dir / "dang");
    fs::copy(kSource / "samples/pip", dir / "ix");
    fs::rename(dir / "ix/pip.cnf", dir / "ix/index.html.cnf"); // its folder is not the gallery's index.html
    // clang-format off
    const std::string dlFound = "case PIP.KCF -> pip.kcf\ncase CLOTHES.KCF -> clothes.kcf\ncase BODY.CEL -> body.cel\ncase HAIR.CEL -> hair.cel\n"
                                "case SHIRT.CEL -> shirt.cel\ncase HAT.CEL -> hat.cel\ncase BACK.CEL -> back.cel\n";
    const std::string pip = "case PIP.KCF -> pip.kcf\ncase CLOTHES.KCF -> clothes.kcf\ncase BODY.CEL -> body.cel\ncase HAIR.CEL -> Hair.Cel\nmissing SHIRT.CEL\n"
                            "ambiguous HAT.CEL -> Hat.Cel hat.cel\ncase BACK.CEL -> back.cel\nunnamed Hat.Cel\nunnamed hat.cel\nunnamed readme.txt\nunnamed two.cnf\n",
                      two = "missing NONE.KCF\ncase BODY.CEL -> body.cel\nunnamed Hair.Cel\nunnamed Hat.Cel\nunnamed back.cel\nunnamed clothes.kcf\nunnamed hat.cel\nunnamed pip.cnf\n"
                            "unnamed pip.kcf\nunnamed readme.txt\nobject out of range #300 BODY.CEL\nno palette line BODY.CEL *3\nno set line $4\n"
                            "refused by the BMP run: object number 300 is out of range (0 to 255)\n";
    const std::tuple<std::vector<std::string>, int, std::string> rows[] = { // arguments, exit status, what it prints
        {{"--check", doll + "pip.cnf"}, 1, pip}, {{"--check", "--cnf", "PIP.CNF", zip}, 1, pip}, {{"--check", "--cnf=two.cnf", zip}, 1, two}, {{"--check", doll + "two.cnf"}, 1, two},
        {{"--check", kSample}, 0, "case PIP.KCF -> pip.kcf\ncase CLOTHES.KCF -> clothes.kcf\ncase BODY.CEL -> body.cel\ncase HAIR.CEL -> hair.cel\n"
                                  "case SHIRT.CEL -> shirt.cel\ncase HAT.CEL -> hat.cel\ncase BACK.CEL -> back.cel\n"},
        {{zip, dir.Path().string()}, 2, "kiss2bmp: " + zip + " holds several configurations; choose one with --cnf:"},
        {{"--cnf", "none.cnf", zip}, 2, "kiss2bmp: no configuration none.cnf in " + zip + "; it holds:"},
        // The output folder made; each file named; several dolls, one failing, each into a folder of its own.
        {{"-v", kSample, "made/deep"}, 0, "wrote made/deep/body.bmp\nwrote made/deep/hair.bmp\nwrote made/deep/shirt.bmp\nwrote made/deep/back.bmp\n"
                                           "wrote made/deep/pip.txt\nmade the output folder made/deep\npalettes: 2\ncels: 5\nimages: 4 BMP files\nreport: made/deep/pip.txt\n"},
        {{kSample, "none.cnf", kSample, "-o", "two", "-j1"}, 1, "made the output folder two\n" + kSample + ": palettes 2, cels 5, images 4 BMP files, report two/pip/pip.txt\n"
                                                              + kSample + ": palettes 2, cels 5, images 4 BMP files, report two/pip-2/pip.txt\ndolls: 2 converted, 1 failed\n"
                                                                "kiss2bmp: none.cnf: ﾌｧｲﾙが見つかりません.\nkiss2bmp: none.cnf: cannot open 'none.cnf': no such file\n"},
        {{"-q", kSample, kSample, "two", "-j", "2"}, 0, ""}, {{"--page", "-q", kSample, "ix/index.html.cnf", "-o", "g"}, 0, ""},
        {{"-q", kSample, kSample, "-o", "lk", "-j1"}, 1, "dolls: 1 converted, 1 failed\nkiss2bmp: " + kSample + ": 不正なﾌｧｲﾙ名です.\nkiss2bmp: " + kSample
                                                         + ": cannot make the folder 'lk/pip': it is a link, and none is followed inside the output folder\n"},
        {{kSample, "dang"}, 1, "不正なﾌｧｲﾙ名です.\nkiss2bmp: cannot make the output folder 'dang': it is a link to nothing\n"},
        {{"--page", kSample, "pg"}, 0, "made the output folder pg\npalettes: 2\ncels: 5\nreport: pg/pip.txt\npage: pg/pip.html\n"},
        {{"--page", "--format=png", kSample, "pg"}, 0, "palettes: 2\ncels: 5\nimages: 4 PNG files\nreport: pg/pip.txt\npage: pg/pip.html\n"},
        // The texts a page holds are named, with -q too: from a folder those beside the configuration, from an archive all.
        {{"--page", dlCnf, "pg"}, 0, "palettes: 2\ncels: 5\nreport: pg/pip.txt\npage: pg/pip.html\ntexts in the page: readme.txt\n"},
        {{"--page", "-q", dlZip, "pg"}, 0, "texts in the page: other/letter.doc, readme.txt, tax/a-passwords.txt\n"},
        {{"--page", "--no-texts", dlZip, "pg"}, 0, "palettes: 2\ncels: 5\nreport: pg/pip.txt\npage: pg/pip.html\n"},
        {{"--page", "-q", dlCnf, kSample, "-o", "pgs"}, 0, dlCnf + ": texts in the page: readme.txt\n"},
        {{"--check", dlCnf}, 0, dlFound + "unnamed other/letter.doc\nunnamed readme.txt\nunnamed tax/a-passwords.txt\n"
                                "not looked at: the folders more than 32 below the configuration's\n"},
        {{"--check", big + "big.cnf"}, 1, "found pip.kcf\nfound big.cel\nmissing ..\\up.cel\nrefused by the BMP run: cannot convert the cel 'big.cel': "
                                         "out of memory: the picture is too large\nrefused by the BMP run: cannot convert the cel '..\\up.cel': its name leads "
                                         "outside the output folder\n"}};
    // clang-format on
    for (const auto& [arguments, status, printed] : rows) {
        const auto r = RunProcess(KISS2BMP_PATH, arguments, dir.Path().string(), dir.Path().string());
        const std::string lines = status == 2 ? (r.out + r.err).substr(0, printed.size()) : r.out + r.err;
        EXPECT_EQ(std::pair(r.status, lines), std::pair(status, printed)) << arguments.back();
    }
}

// A batch with the page: each configuration of an archive that holds several into a folder of its own (named as its
// report, numbered when another has taken it without regard to case), entered without following a link; a doll of one
// as before; on the gallery a card each, the configuration's name on it, and each doll that failed with its reason.
TEST(Kiss2bmp, BatchGivesEachConfigurationOfAnArchiveItsFolderPageAndCard)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege there";
#endif
    TempDir dir;
    fs::copy(kSource / "samples/pip", dir / "multi");
    fs::copy_file(dir / "multi/pip.cnf", dir / "multi/Pip.old.cnf");
    for (const char* folder : {"in", "gal/multi", "elsewhere"})
        fs::create_directories(dir / folder);
    WriteFile(dir / "multi.zip", ZipOf(dir / "multi"));
    WriteFile(dir / "in/none.zip", ZipOf(dir / "elsewhere")); // no member
    fs::create_directory_symlink(dir / "elsewhere", dir / "gal/multi/pip-2");
    const auto r = RunProcess(KISS2BMP_PATH, {"--page", "-q", "-j1", kSample, "multi.zip", "in/none.zip", "-o", "gal"},
                              dir.Path().string(), dir.Path().string());
    const std::string link = "it is a link, and none is followed inside the output folder";
    const std::string gallery = ReadText(dir / "gal/index.html"), shown = gallery.substr(gallery.find("<ul>"));
    // clang-format off
    EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(1, "dolls: 2 converted, 2 failed\n"s,
        "kiss2bmp: multi.zip/pip.cnf: 不正なﾌｧｲﾙ名です.\nkiss2bmp: multi.zip/pip.cnf: cannot make the folder 'gal/multi/pip-2': " + link +
        "\nkiss2bmp: in/none.zip: 書庫 in/none.zip には構成ﾌｧｲﾙがありません.\nkiss2bmp: in/none.zip: the archive 'in/none.zip' holds no configuration\n"));
    EXPECT_EQ(std::regex_replace(shown, std::regex("base64,[^\"]+"), "P"),
        "<ul>\n<li><a href=\"pip/pip.html\"><img src=\"data:image/png;P\" alt=\"pip\"><span>pip</span></a></li>\n<li><a href=\"multi/Pip/Pip.html\">"
        "<img src=\"data:image/png;P\" alt=\"multi Pip.old.cnf\"><span>multi</span><small>Pip.old.cnf</small></a></li>\n</ul>\n<h2>Not converted</h2>\n"
        "<ul class=\"failed\">\n<li><b>multi.zip</b> pip.cnf: cannot make the folder 'multi/pip-2': " + link + "</li>\n"
        "<li><b>none.zip</b>: the archive 'none.zip' holds no configuration</li>\n</ul>\n</body>\n</html>\n");
    // clang-format on
    for (const char* page : {"pip/pip.html", "multi/Pip/Pip.html"})
        EXPECT_TRUE(fs::is_regular_file(dir / ("gal/"s + page))) << page;
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
}

// A doll of our own read as viewers read it: a 32-bit cel beside the sample's body, hidden by ";%u" and shown again by
// initialize() (so not "hidden at the start"); what FKiSS the start leaves out.
TEST(Kiss2bmp, ShowsADollAsViewersDoAndSaysWhatTheBmpRunLeavesOut)
{
    TempDir dir;
    const std::string doll = dir / "doll/";
    fs::create_directories(doll);
    fs::copy_file(kSource / "samples/pip/pip.kcf", doll + "pip.kcf");
    fs::copy_file(kSource / "samples/pip/body.cel", doll + "b.cel");
    // Its pixels blue, green, red and alpha: coloured where transparent, half transparent between.
    WriteFile(doll + "c.cel", "KiSS\x20\x20\0\0\x03\0\x01\0\0\0\0\0"s + std::string(16, '\0') +
                                  "\x0a\x14\x1e\0\x10\x20\x30\x80\x46\x50\x5a\0"s);
    WriteFile(doll + "own.cnf",
              "%pip.kcf\r\n#1 c.cel :0\r\n#2 b.cel *0 :0 ;%u %t64\r\n$0 5,5 0,0\r\n;@EventHandler\r\n"
              ";@initialize() map(\"b.cel\")\r\n;@begin() timer(1,10) unmap(\"x.cel\") music(\"m.mid\")"
              " letmouse(x,y)\r\n");
    const std::string cnf = doll + "own.cnf", out = dir / "out";
    const auto check = RunProcess(KISS2BMP_PATH, {"--check", cnf}, dir.Path().string());
    EXPECT_EQ(std::pair(check.status, check.out.substr(check.out.find("fkiss level"))),
              std::pair(0,
                        "fkiss level 3\nplayed by the page only timer: 1 time, first on line 7\n"
                        "not played letmouse: 1 time, first on line 7\nnot played music: 1 time, first on line 7\n"
                        "fkiss line 7: timer is not played for the start picture\n"
                        "fkiss line 7: unmap is skipped: there is no cel \"x.cel\"\n"
                        "fkiss line 7: music is not played for the start picture\n"
                        "fkiss line 7: letmouse is not played for the start picture\nno cel line x.cel (fkiss line 7)\n"
                        "32-bit cel c.cel: blank in BMP files, kept by --format png\n"s));
    const auto bmp = RunProcess(KISS2BMP_PATH, {"-q", cnf, out}, dir.Path().string());
    EXPECT_EQ(std::pair(bmp.status, bmp.err),
              std::pair(0, "kiss2bmp: 32-bit cels are blank in BMP files (--format png keeps them): c.cel\n"s));
    const auto png =
        RunProcess(KISS2BMP_PATH, {"-q", "--format=png", "--snapshot", dir / "s.png", cnf, out}, dir.Path().string());
    EXPECT_EQ(std::pair(png.status, ReadText(out + "/c.png").substr(16, 10)),
              std::pair(0, "\0\0\0\3\0\0\0\1\x08\x06"s)); // RGBA
    // In the page: 3 x 1, red, green, blue and alpha, palette 0, its opaque pixels from 1,0 to 2,1 (the ends past), at
    // its place.
    EXPECT_EQ(RunProcess(KISS2BMP_PATH, {"--page", cnf, dir / "page"}, dir.Path().string()).status, 0);
    EXPECT_NE(ReadText(dir / "page/own.html").find("\"images\":[[3,1,2,0,1,0,2,1,0,0]"), std::string::npos);
    // A component and a cel file the doll lacks are left out of the pictures, each named in one notice, and FKiSS that
    // maps the component plays on; a 32-bit cel whose offsets are -3 and -1 stands that far up and left of its place.
    WriteFile(doll + "n.cel",
              "KiSS\x20\x20\0\0\x01\0\x01\0\xFD\xFF\xFF\xFF"s + std::string(16, '\0') + "\x0a\x14\x1e\xff");
    WriteFile(doll + "t.cel", "\x01\0\x01\0\x10"s); // and a palette of one group, its colour 0 #112233
    WriteFile(doll + "one.kcf",
              "KiSS\x10\x18\0\0\x10\0\x01\0"s + std::string(20, '\0') + "\x11\x22\x33" + std::string(45, '\0'));
    std::string many = "%one.kcf\r\n#1 t.label :0\r\n#2 Gone.Cel :0\r\n#3 n.cel :0\r\n", places = "$0 0,0 0,0 0,0 5,5";
    const std::string fkiss = "\r\n;@EventHandler\r\n;@initialize() map(\"t.label\")\r\n";
    WriteFile(doll + "five.cnf", many + places + fkiss);
    const auto five = RunProcess(KISS2BMP_PATH, {"--check", doll + "five.cnf"}, dir.Path().string());
    EXPECT_EQ(
        std::tuple(five.status, five.out.substr(0, five.out.find("unnamed")),
                   five.out.substr(five.out.find("refused"))),
        std::tuple(1, "found one.kcf\ncomponent t.label\nmissing Gone.Cel\nfound n.cel\n"s,
                   "refused by the BMP run: a cel line is an FKiSS 5 component, no file\n"
                   "refused by the BMP run: cannot convert the cel 'n.cel': 'n.cel' has negative offsets (-3, -1), "
                   "which a BMP file cannot hold (--format png draws it)\n"s));
#ifndef _WIN32 // no getrusage there
    // Its page and picture with 65,536 cel lines, objects to 65,535, in little processor time and memory: the left out
    // cels pictures of no pixels, the 32-bit one 1 x 1 at (-3, -1) from its place, every group's colours group 0's.
    for (int o = 4; o < 65536; ++o)
        many += "#" + std::to_string(o) + " t.cel :0\r\n", places += " " + std::to_string(o % 400) + ",9";
    WriteFile(doll + "many.cnf", many + places + fkiss);
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto page =
        RunProcess(KISS2BMP_PATH, {"-q", "--page", "--snapshot", dir / "many.png", doll + "many.cnf", dir / "many"},
                   dir.Path().string());
    ::getrusage(RUSAGE_CHILDREN, &after);
    EXPECT_EQ(std::pair(page.status, page.err),
              std::pair(0, "kiss2bmp: FKiSS 5 components, which a viewer makes, are left out of the pictures: t.label\n"
                           "kiss2bmp: cels the doll has no file of are left out of the pictures: Gone.Cel\n"s));
    const std::string html = ReadText(dir / "many/many.html"), colours = R"(["#112233","#112233"])";
    EXPECT_NE(html.find(R"("images":[[0,0,2,0,0,0,0,0,0,0],[0,0,2,0,0,0,0,0,0,0],[1,1,2,0,0,0,1,1,-3,-1],)"),
              std::string::npos);
    EXPECT_NE(html.find(R"("colours":[)" + Repeat(colours + ",", 9) + colours + "]"), std::string::npos);
    EXPECT_LT(after.ru_utime.tv_sec + after.ru_stime.tv_sec - before.ru_utime.tv_sec - before.ru_stime.tv_sec, 20);
    EXPECT_LT(after.ru_maxrss, 256 * 1024); // KiB, the largest child's
#endif
    // --check reads the start of the set --set names, or of set 0 when that is no number: a cel only in set 3.
    WriteFile(doll + "three.cnf", "%pip.kcf\r\n#1 b.cel :3 ;%u\r\n$0 5,5\r\n");
    for (const auto& [set, hidden] : {std::pair{"3", true}, {"3x", false}}) {
        const auto r = RunProcess(KISS2BMP_PATH, {"--check", "--set", set, doll + "three.cnf"}, dir.Path().string());
        EXPECT_EQ(r.out.ends_with("hidden at the start b.cel\n"), hidden) << set;
    }
}

// Cels that are a GIF (of two frames), a JPEG and a PNG file: drawn, written as PNG files, played by the page; the BMP
// run refuses them as it always has.
TEST(Kiss2bmp, DrawsImageFileCelsAsViewersDoAndTheBmpRunRefusesThem)
{
    using namespace kisswriter;
    TempDir dir;
    const std::string doll = dir / "doll/", out = dir / "out";
    fs::create_directories(doll);
    Picture red(2, 1), green(1, 1); // red, red; then green over the second (its delay 0.05 s), played twice
    green.pixels = {1};
    const Bytes gif = Gif(2, 1, {{255, 0, 0}, {0, 255, 0}}, {{red}, {green, 1, 0, 5}}, false, 1),
                jpeg = Jpeg(1, 1, 1, {128}), png = Png(1, 1, {0, 0, 255, 255});
    for (const auto& [name, bytes] : {std::pair{"a.gif", gif}, {"b.jpg", jpeg}, {"c.png", png}})
        WriteFile(doll + name, std::string(bytes.begin(), bytes.end()));
    WriteFile(doll + "own.cnf", "(4,1)\r\n#0 a.gif :0\r\n#1 b.jpg :0\r\n#2 c.png :0 ;%t128\r\n$0 0,0 2,0 3,0\r\n");
    const auto r = RunProcess(KISS2BMP_PATH, {"-q", "--format=png", "--snapshot", dir / "s.png", doll + "own.cnf", out},
                              dir.Path().string());
    const auto Read = [](const std::string& path) {
        MemoryStream png;
        png.LoadFromFile(path);
        RgbaFrames frames;
        DecodePng(png, frames);
        return frames.Frames().at(0).Rgba();
    };
    EXPECT_EQ(std::tuple(r.status, Read(out + "/a.png"), Read(out + "/c.png")),
              std::tuple(0, Bytes{255, 0, 0, 255, 255, 0, 0, 255}, Bytes{0, 0, 255, 255})); // the GIF's first frame
    EXPECT_EQ(Read(dir / "s.png"), (Bytes{255, 0, 0, 255, 255, 0, 0, 255, 128, 128, 128, 255, 0, 0, 127, 255}));
    EXPECT_EQ(RunProcess(KISS2BMP_PATH, {"-q", "--page", doll + "own.cnf", dir / "page"}, dir.Path().string()).status,
              0);
    EXPECT_NE(
        ReadText(dir / "page/own.html").find("\"images\":[[2,1,2,0,0,0,2,1,0,0,2,[100,50]],[1,1,2,0,0,0,1,1,0,0]"),
        std::string::npos);
    const auto bmp = RunProcess(KISS2BMP_PATH, {"-q", doll + "own.cnf", dir / "bmp"}, dir.Path().string());
    EXPECT_EQ(std::pair(bmp.status, bmp.err.substr(0, bmp.err.find('\n'))),
              std::pair(1, "ｾﾙ a.gif は GIF 画像ﾌｧｲﾙです."s));
}
