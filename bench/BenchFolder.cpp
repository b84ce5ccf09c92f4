#include "BenchFolder.h"

#include <stdexcept>
#include <stdlib.h>
#include <system_error>

BenchFolder::BenchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kissbench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    path_ = pattern;
}

BenchFolder::~BenchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
