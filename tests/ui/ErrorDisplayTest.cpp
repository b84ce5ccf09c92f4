#include "UiTestSupport.h"

#include "ui/ApplicationTitle.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <functional>
#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// An object whose event handling fails the way it is told to.
class FailingObject : public QObject {
public:
    explicit FailingObject(std::function<void()> fail) : fail_(std::move(fail)) {}
    bool event(QEvent*) override
    {
        fail_();
        return true;
    }

private:
    std::function<void()> fail_;
};

} // namespace

TEST(ErrorDisplay, AnErrorLeavingAnEventIsShownByTheApplication)
{
    const struct {
        const char* kind;
        std::function<void()> fail;
        const char* text;
    } rows[] = {
        {"system error", [] { throw Exception("ﾌｧｲﾙが見つかりません"); }, "ﾌｧｲﾙが見つかりません."},
        {"ends in a full stop", [] { throw Exception("done."); }, "done.."},
        {"memory", [] { throw std::bad_alloc(); }, "ﾒﾓﾘが足りません."},
        {"standard error", [] { throw std::length_error("too long"); }, "too long."},
    };
    for (const auto& row : rows) {
        const BoxCatcher catcher;
        FailingObject object(row.fail);
        QEvent event(QEvent::User);
        EXPECT_TRUE(QCoreApplication::sendEvent(&object, &event)) << row.kind;
        ASSERT_EQ(catcher.Boxes().size(), 1u) << row.kind;
        const ShownBox& box = catcher.Boxes().front();
        EXPECT_EQ(box.text, QString::fromUtf8(row.text)) << row.kind;
        EXPECT_EQ(box.title, ApplicationTitle());
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
        EXPECT_EQ(box.modality, Qt::ApplicationModal);
    }
}
