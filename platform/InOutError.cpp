#include "InOutError.h"

#include "File.h"

EInOutError EInOutError::FromSystemError(int errorCode, const std::string& path)
{
    const auto error = [&](std::string message) -> EInOutError {
        return {std::move(message), errorCode, platform::ErrorText(errorCode, path)};
    };
    switch (platform::ClassifyError(errorCode, path)) {
    case platform::ErrorKind::FileNotFound:
        return error("ﾌｧｲﾙが見つかりません");
    case platform::ErrorKind::PathNotFound:
        return error("不正なﾌｧｲﾙ名です");
    case platform::ErrorKind::TooManyOpenFiles:
        return error("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます");
    case platform::ErrorKind::AccessDenied:
        return error("ﾌｧｲﾙへのｱｸｾｽが拒否されました");
    case platform::ErrorKind::Other:
        break;
    }
    return error(FormatMessage("I/O ｴﾗｰ (%d)", std::to_string(errorCode)));
}
