#pragma once

#include "platform/Exception.h"

// The failures of the in-memory byte stream and its files; cause: why, in English.
class EFileOpenError : public Exception {
public:
    EFileOpenError(const std::string& path, std::string cause)
        : Exception(FormatMessage("ﾌｧｲﾙ %s は開けません", path), std::move(cause))
    {
    }
};

class EFileCreateError : public Exception {
public:
    EFileCreateError(const std::string& path, std::string cause)
        : Exception(FormatMessage("ﾌｧｲﾙ %s を作成できません", path), std::move(cause))
    {
    }
};

class EStreamReadError : public Exception {
public:
    explicit EStreamReadError(std::string cause)
        : Exception("ｽﾄﾘｰﾑからの読み込みｴﾗｰ", std::move(cause))
    {
    }
};

class EStreamWriteError : public Exception {
public:
    explicit EStreamWriteError(std::string cause)
        : Exception("ｽﾄﾘｰﾑへの書き込みｴﾗｰ", std::move(cause))
    {
    }
};

class EStreamMemoryError : public Exception {
public:
    explicit EStreamMemoryError(std::string cause = "out of memory: the picture is too large")
        : Exception("ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました", std::move(cause))
    {
    }
};
