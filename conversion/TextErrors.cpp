#include "TextErrors.h"

#include "platform/File.h"

EInOutError EInOutError::FromSystemError(int errorCode, const std::string& path)
{
    switch (platform::ClassifyError(errorCode, path)) {
    case platform::ErrorKind::FileNotFound: return {"ﾌｧｲﾙが見つかりません", errorCode};
    case platform::ErrorKind::PathNotFound: return {"不正なﾌｧｲﾙ名です", errorCode};
    case platform::ErrorKind::TooManyOpenFiles: return {"ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます", errorCode};
    case platform::ErrorKind::AccessDenied: return {"ﾌｧｲﾙへのｱｸｾｽが拒否されました", errorCode};
    case platform::ErrorKind::Other: break;
    }
    return {FormatMessage("I/O ｴﾗｰ (%d)", std::to_string(errorCode)), errorCode};
}
