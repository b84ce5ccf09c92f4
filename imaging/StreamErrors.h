#pragma once

#include "platform/Exception.h"

// The failures of the in-memory byte stream and its files.
class EFileOpenError : public Exception {
public:
    explicit EFileOpenError(const std::string& path)
        : Exception(FormatMessage("ﾌｧｲﾙ %s は開けません", path)) {}
};

class EFileCreateError : public Exception {
public:
    explicit EFileCreateError(const std::string& path)
        : Exception(FormatMessage("ﾌｧｲﾙ %s を作成できません", path)) {}
};

class EStreamReadError : public Exception {
public:
    EStreamReadError() : Exception("ｽﾄﾘｰﾑからの読み込みｴﾗｰ") {}
};

class EStreamWriteError : public Exception {
public:
    EStreamWriteError() : Exception("ｽﾄﾘｰﾑへの書き込みｴﾗｰ") {}
};

class EStreamMemoryError : public Exception {
public:
    EStreamMemoryError() : Exception("ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました") {}
};
