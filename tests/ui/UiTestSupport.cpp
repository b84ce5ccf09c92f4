#include "UiTestSupport.h"

#include "ui/ErrorDisplay.h"
#include "ui/KissApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

// The application object for every test of the program, made once the tests start to run.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<KissApplication>(argc_, argv_);
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<KissApplication> application_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void PutU16(Bytes& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

BoxCatcher::BoxCatcher()
{
    SetErrorBoxRunner([this](QMessageBox& box) {
        boxes_.push_back({box.text(), box.windowTitle(), box.icon(), box.standardButtons(),
                          box.windowModality(), QApplication::overrideCursor() == nullptr});
    });
}

BoxCatcher::~BoxCatcher()
{
    SetErrorBoxRunner({});
}

DirectoryKeeper::DirectoryKeeper() : saved_(CurrentDirectory()) {}

DirectoryKeeper::~DirectoryKeeper()
{
    if (::chdir(saved_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << saved_;
}

void ChangeDirectory(const std::string& path)
{
    if (::chdir(path.c_str()) != 0) throw std::runtime_error("cannot enter " + path);
}

std::string CurrentDirectory()
{
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        throw std::runtime_error("no current directory");
    return buffer;
}

std::string WriteDoll(const std::string& folder)
{
    // Old-form cels: width, height, then rows of 4-bit pixels, two a byte, high nibble first.
    Bytes celA;
    PutU16(celA, 3);
    PutU16(celA, 2);
    celA.insert(celA.end(), {0x12, 0x30, 0x45, 0x60});
    Bytes celB;
    PutU16(celB, 2);
    PutU16(celB, 1);
    celB.push_back(0x21);
    WriteFile(folder + "/A.CEL", celA);
    WriteFile(folder + "/B.CEL", celB);

    // Old-form palette: ten groups of sixteen 12-bit colours, red and blue in the first byte.
    Bytes palette(320, 0);
    palette[2] = 0xF0; // colour 1: red
    palette[5] = 0x0F; // colour 2: green
    palette[6] = 0x0F; // colour 3: blue
    WriteFile(folder + "/PAL.KCF", palette);

    std::string cnf = "(96,96)\r\n%PAL.KCF\r\n#0 A.CEL *0 :0\r\n#1 B.CEL *0 :9\r\n"
                      "$0 10,20 30,40\r\n";
    for (int set = 1; set < 9; ++set)
        cnf += "$0 * *\r\n";
    cnf += "$0 5,6 7,8\r\n";
    WriteFile(folder + "/doll.cnf", cnf);
    return folder + "/doll.cnf";
}

TVolume FakeVolume(const QString& rootPath, const QString& text)
{
    return {rootPath, text, TVolumeKind::Fixed};
}
