#pragma once

#include "support/TempDir.h"

#include <QImage>
#include <QJsonObject>
#include <deque>
#include <string>

// One headless Chromium for every row a test program runs, driven through its debugging pipe: a start costs some three
// core-seconds, a tab a tenth of that. Each page opens in a tab of its own, as a start of its own would show it.
class Browser {
public:
    static Browser& Shared();
    ~Browser();
    // The page's DOM once loaded, or once `budget` ms of virtual time have run from its navigation.
    std::string Dom(const std::string& url, int budget = 0);
    // What a window of that size shows once `budget` ms of virtual time have run.
    QImage Screenshot(const std::string& url, QSize window, int budget);

private:
    Browser();
    QJsonObject Open(const std::string& url, QSize window, int budget, const char* method, QJsonObject params);
    QJsonObject Call(const char* method, const QJsonObject& params = {}, const QString& session = {});
    void Await(const char* event, const QString& session);
    QJsonObject Next();

    TempDir profile_;
    int pid_ = -1, to_ = -1, from_ = -1, sent_ = 0;
    std::string unread_;
    std::deque<QJsonObject> events_; // what came while waiting for an answer
};
