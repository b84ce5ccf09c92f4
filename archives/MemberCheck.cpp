#include "MemberCheck.h"

#include "platform/Names.h"

std::string MemberCheck::Name(std::string_view stored, bool shiftJis) const
{
    std::string name(stored);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (shiftJis && IsShiftJisLead(name[i]))
            ++i; // its trail byte may be 0x5C
        else if (byte == '\\' || byte == 0xFF)
            name[i] = '/';
    }
    if (name.empty() || name.find('\0') != std::string::npos) throw Unreadable();
    if (name[0] == '/' || (name.size() > 1 && name[1] == ':') ||
        ("/" + name + "/").find("/../") != std::string::npos)
        throw EArchiveError("書庫 " + archive_ + " のﾌｧｲﾙ名 " + name + " は書庫の外を指します",
                            "the member name '" + name + "' points outside the archive");
    return name;
}

void MemberCheck::Admit(const std::string& name, std::uint64_t statedSize)
{
    if (++members_ > kMaxMembers)
        throw EArchiveError(
            "書庫 " + archive_ + " のﾌｧｲﾙが多すぎます (最大 " + std::to_string(kMaxMembers) + ")",
            "the archive holds more than " + std::to_string(kMaxMembers) + " files");
    if (statedSize > kMaxMemberSize)
        throw EArchiveError("書庫 " + archive_ + " のﾌｧｲﾙ " + name + " は大きすぎます (最大 " +
                                std::to_string(kMaxMemberSize >> 20) + " MiB)",
                            "the member '" + name + "' is larger than " +
                                std::to_string(kMaxMemberSize >> 20) + " MiB");
    total_ += statedSize; // both at most 1 GiB: no overflow
    if (total_ > kMaxArchiveSize)
        throw EArchiveError("書庫 " + archive_ + " は展開すると大きすぎます (最大 " +
                                std::to_string(kMaxArchiveSize >> 30) + " GiB)",
                            "the archive unpacks to more than " +
                                std::to_string(kMaxArchiveSize >> 30) + " GiB");
}

EArchiveError MemberCheck::Unreadable() const
{
    return EArchiveError("書庫 " + archive_ + " を読めません",
                         "the archive is damaged or not of its kind");
}

EArchiveError MemberCheck::CutShort(const std::string& name) const
{
    return EArchiveError("書庫 " + archive_ + " のﾌｧｲﾙ " + name + " は途中で切れています",
                         "the member '" + name + "' is cut off");
}

EArchiveError MemberCheck::BadCrc(const std::string& name) const
{
    return EArchiveError("書庫 " + archive_ + " のﾌｧｲﾙ " + name + " はCRCが一致しません",
                         "the member '" + name + "' fails its CRC check");
}

EArchiveError MemberCheck::Method(const std::string& name, const std::string& method,
                                  bool encrypted) const
{
    return EArchiveError("書庫 " + archive_ + " のﾌｧｲﾙ " + name + " の圧縮方式 " + method +
                             (encrypted ? " (暗号化)" : "") + " には対応していません",
                         "the member '" + name + "' is " +
                             (encrypted ? "encrypted" : "packed by the unknown method " + method));
}
