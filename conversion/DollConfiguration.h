#pragma once

class BufferedTextFile;
class DollFiles;

// Opens the doll's configuration for reading: its file on disk, or its archive's member.
void OpenConfiguration(DollFiles& doll, BufferedTextFile& file);
