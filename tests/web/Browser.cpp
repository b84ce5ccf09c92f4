#include "web/Browser.h"

#include <QJsonDocument>
#include <fcntl.h>
#include <iterator>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

Browser& Browser::Shared()
{
    static Browser browser;
    return browser;
}

// No sandbox (root), nothing fetched, a profile of its own; it reads commands on fd 3 and answers on fd 4.
Browser::Browser()
{
    int to[2], from[2];
    if (::pipe2(to, O_CLOEXEC) != 0 || ::pipe2(from, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for Chromium");
    std::istringstream flags("--headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run "
                             "--disable-background-networking --disable-component-update --disable-sync "
                             "--force-device-scale-factor=1 --remote-debugging-pipe about:blank");
    std::vector<std::string> words{"/usr/bin/chromium", "--user-data-dir=" + profile_.Path().string()};
    words.insert(words.end(), std::istream_iterator<std::string>(flags), {});
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) { // above 4 first, so that neither end is closed by moving the other
        const int in = ::fcntl(to[0], F_DUPFD, 5), out = ::fcntl(from[1], F_DUPFD, 5),
                  null = ::open("/dev/null", O_RDWR);
        if (::dup2(in, 3) == 3 && ::dup2(out, 4) == 4 && ::dup2(null, 1) == 1 && ::dup2(null, 2) == 2)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(to[0]);
    ::close(from[1]);
    to_ = to[1];
    from_ = from[0];
    if (pid_ < 0) throw std::runtime_error("cannot start Chromium");
}

Browser::~Browser()
{
    ::close(to_); // Chromium ends when its pipe does
    ::close(from_);
    for (int tries = 0; ::waitpid(pid_, nullptr, tries < 100 ? WNOHANG : 0) == 0; ++tries)
        tries < 99 ? ::usleep(50000) : ::kill(pid_, SIGKILL);
}

QJsonObject Browser::Next()
{
    for (char buffer[65536]; unread_.find('\0') == std::string::npos;) {
        const ssize_t got = ::read(from_, buffer, sizeof buffer);
        if (got <= 0) throw std::runtime_error("Chromium ended");
        unread_.append(buffer, got);
    }
    const auto end = unread_.find('\0');
    const QJsonObject message = QJsonDocument::fromJson(QByteArray(unread_.data(), end)).object();
    unread_.erase(0, end + 1);
    return message;
}

QJsonObject Browser::Call(const char* method, const QJsonObject& params, const QString& session)
{
    QJsonObject command{{"id", ++sent_}, {"method", method}, {"params", params}};
    if (!session.isEmpty()) command["sessionId"] = session;
    const QByteArray bytes = QJsonDocument(command).toJson(QJsonDocument::Compact) + '\0';
    if (::write(to_, bytes.data(), bytes.size()) != bytes.size()) throw std::runtime_error("Chromium ended");
    for (QJsonObject answer = Next();; answer = Next()) {
        if (answer["id"] != sent_) {
            events_.push_back(answer);
        } else if (answer.contains("error")) {
            throw std::runtime_error(std::string(method) + ": " +
                                     answer["error"].toObject()["message"].toString().toStdString());
        } else {
            return answer["result"].toObject();
        }
    }
}

void Browser::Await(const char* event, const QString& session)
{
    for (;; events_.push_back(Next()))
        for (auto e = events_.begin(); e != events_.end(); ++e)
            if ((*e)["method"] == event && (*e)["sessionId"] == session) return (void)events_.erase(e);
}

// The answer to a command on the page in a new tab, once loaded or once its virtual time has run.
QJsonObject Browser::Open(const std::string& url, QSize window, int budget, const char* method, QJsonObject params)
{
    const QString target = Call("Target.createTarget", {{"url", "about:blank"}})["targetId"].toString();
    const QString tab =
        Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}})["sessionId"].toString();
    Call("Page.enable", {}, tab);
    Call("Emulation.setDeviceMetricsOverride",
         {{"width", window.width()}, {"height", window.height()}, {"deviceScaleFactor", 1}, {"mobile", false}}, tab);
    if (budget > 0) Call("Emulation.setVirtualTimePolicy", {{"policy", "pause"}}, tab); // until the page is there
    Call("Page.navigate", {{"url", QString::fromStdString(url)}}, tab);
    if (budget > 0)
        Call("Emulation.setVirtualTimePolicy", {{"policy", "pauseIfNetworkFetchesPending"}, {"budget", budget}}, tab);
    Await(budget > 0 ? "Emulation.virtualTimeBudgetExpired" : "Page.loadEventFired", tab);
    const QJsonObject answer = Call(method, params, tab);
    Call("Target.closeTarget", {{"targetId", target}});
    return answer;
}

std::string Browser::Dom(const std::string& url, int budget)
{
    const auto dom = Open(url, {800, 600}, budget, "Runtime.evaluate",
                          {{"expression", "document.documentElement.outerHTML"}, {"returnByValue", true}});
    return dom["result"]["value"].toString().toStdString();
}

QImage Browser::Screenshot(const std::string& url, QSize window, int budget)
{
    const auto png = Open(url, window, budget, "Page.captureScreenshot", {{"format", "png"}})["data"].toString();
    return QImage::fromData(QByteArray::fromBase64(png.toLatin1()));
}
