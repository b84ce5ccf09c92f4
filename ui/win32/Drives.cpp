#include "Drives.h"

#include <winnetwk.h>

#include <cctype>

namespace {

std::string VolumeLabel(const std::string& root)
{
    char label[MAX_PATH + 1] = {};
    const UINT was = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const BOOL read = ::GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr,
                                              nullptr, nullptr, 0);
    ::SetErrorMode(was);
    return read ? label : "";
}

std::string NetworkName(const std::string& drive)
{
    char name[MAX_PATH + 1] = {};
    DWORD size = sizeof name;
    return ::WNetGetConnectionA(drive.c_str(), name, &size) == NO_ERROR ? name : "";
}

} // namespace

std::vector<TDriveLine> MachineDrives()
{
    std::vector<TDriveLine> lines;
    const DWORD present = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((present & (1u << i)) == 0) continue;
        const char letter = static_cast<char>('a' + i);
        const std::string drive = {static_cast<char>('A' + i), ':'}, root = drive + '\\';
        TDriveLine line;
        line.letter = letter;
        switch (::GetDriveTypeA(root.c_str())) {
        case DRIVE_REMOVABLE:
            line.kind = TVolumeKind::Removable;
            break;
        case DRIVE_FIXED:
            line.kind = TVolumeKind::Fixed;
            break;
        case DRIVE_REMOTE:
            line.kind = TVolumeKind::Network;
            break;
        case DRIVE_CDROM:
            line.kind = TVolumeKind::Optical;
            break;
        case DRIVE_RAMDISK:
            line.kind = TVolumeKind::Ram;
            break;
        default: // unknown, or no root directory: no line
            continue;
        }
        const std::string label = line.kind == TVolumeKind::Removable ? "" : VolumeLabel(root);
        const std::string network = line.kind == TVolumeKind::Network ? NetworkName(drive) : "";
        line.text = VolumeLineText(std::string{letter, ':'}, line.kind, label, network);
        lines.push_back(line);
    }
    return lines;
}

std::string ProcessDirectory()
{
    std::string directory(::GetCurrentDirectoryA(0, nullptr), '\0');
    directory.resize(
        ::GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data()));
    return directory;
}

char DriveLetterOf(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':' || ::IsDBCSLeadByte(static_cast<BYTE>(path[0])))
        return '\0';
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return letter >= 'a' && letter <= 'z' ? letter : '\0';
}

DWORD VolumeFlags(char letter)
{
    const std::string root = {letter, ':', '\\'};
    DWORD flags = 0;
    const UINT was = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        flags = 0;
    ::SetErrorMode(was);
    return flags;
}
