#include "RobustnessScene.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const kKeep = "inside the output folder, not the run's\r\n";
const char* const kOther = "an image of an earlier run\r\n";
const std::string kSampleDir = KISS_SOURCE_DIR "/samples/pip/";
const char* const kSampleFiles[] = {"pip.cnf", "back.cel",  "body.cel", "hair.cel",
                                    "hat.cel", "shirt.cel", "pip.kcf",  "clothes.kcf"};

void Snap(const fs::path& base, const fs::path& folder, const std::vector<fs::path>& skip,
          std::map<std::string, std::string>& files) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(base).string();
        if (std::find(skip.begin(), skip.end(), entry.path()) != skip.end()) continue;
        if (entry.is_symlink())
            files[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory()) {
            files[name + "/"] = "";
            Snap(base, entry.path(), skip, files);
        } else
            files[name] = ReadText(entry.path().string());
    }
}

} // namespace

RobustnessScene::RobustnessScene() {
    root = temp_.Prefix();
    doll = root + "work/doll/";
    out = outputFolder_ = root + "work/out";
    config = doll + "pip.cnf";
    fs::create_directories(doll);
    fs::create_directories(out);
    for (const char* name : kSampleFiles)
        fs::copy_file(kSampleDir + name, doll + name);
    WriteFile(root + "above.txt", std::string("above the output's parent\r\n"));
    WriteFile(root + "work/next.txt", std::string("next to the output folder\r\n"));
    WriteFile(root + "work/evil.bmp", std::string("what ../evil.cel would replace\r\n"));
    fs::copy_file(kSampleDir + "body.cel", root + "work/evil.cel");
    fs::copy_file(kSampleDir + "pip.kcf", root + "work/evil.kcf");
    WriteFile(out + "/keep.dat", std::string(kKeep));
    WriteFile(out + "/other.bmp", std::string(kOther));
}

std::string RobustnessScene::SampleConfiguration() {
    return ReadText(kSampleDir + "pip.cnf");
}

void RobustnessScene::PutText(const std::string& dollName, const std::string& text) const {
    WriteFile(doll + dollName, text);
}

void RobustnessScene::PutBytes(const std::string& dollName,
                               const std::vector<std::uint8_t>& bytes) const {
    WriteFile(doll + dollName, bytes);
}

std::vector<std::uint8_t> RobustnessScene::SampleFile(const std::string& name) const {
    return ReadFile(kSampleDir + name);
}

std::map<std::string, std::string> RobustnessScene::Decoys(const std::string& alsoSkip) const {
    std::map<std::string, std::string> files;
    const fs::path base = fs::path(root).parent_path(); // without the trailing "/"
    Snap(base, base, {outputFolder_, alsoSkip}, files);
    return files;
}

bool RobustnessScene::InsideDecoysKept() const {
    std::error_code error;
    for (const char* name : {"/keep.dat", "/other.bmp"})
        if (!fs::is_regular_file(fs::symlink_status(outputFolder_ + name, error))) return false;
    return ReadText(outputFolder_ + "/keep.dat") == kKeep &&
           ReadText(outputFolder_ + "/other.bmp") == kOther;
}

std::vector<std::string> RobustnessScene::Outputs() const {
    std::vector<std::string> names;
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(out, error))) return names;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        std::string name = entry.path().lexically_relative(out).string();
        if (out == outputFolder_ && (name == "keep.dat" || name == "other.bmp")) continue;
        if (!entry.is_symlink() && entry.is_directory()) name += "/";
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

ProcessResult RunKiss2bmp(const std::vector<std::string>& arguments, const std::string& scratch) {
    std::vector<std::string> storage{KISS2BMP_PATH};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::string outPath = scratch + "stdout.txt", errPath = scratch + "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start kiss2bmp");
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ProcessResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return result;
}
