#include "DollConfiguration.h"

#include "BufferedTextFile.h"

#include "doll/DollFiles.h"

void OpenConfiguration(DollFiles& doll, BufferedTextFile& file)
{
    if (const std::string* bytes = doll.ConfigurationBytes())
        file.OpenInMemory(*bytes, doll.ConfigurationPath());
    else
        file.OpenForReading(doll.ConfigurationPath());
}
