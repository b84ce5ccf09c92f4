#include "SpinEdit.h"

#include "common/WindowText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kButtonWidth = 15;
constexpr int kRepeatDelay = 400;
constexpr int kRepeatInterval = 100;

QToolButton* MakeStepButton(QWidget* parent, const char* name, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(kRepeatDelay);
    button->setAutoRepeatInterval(kRepeatInterval);
    return button;
}

} // namespace

TSpinEdit::TSpinEdit(QWidget* parent)
    : QLineEdit(parent), upButton_(MakeStepButton(this, "upButton", Qt::UpArrow)),
      downButton_(MakeStepButton(this, "downButton", Qt::DownArrow))
{
    setText(QString::number(kFirstSet));
    setTextMargins(0, 0, kButtonWidth, 0);
    // A step at the press and at every repeat; the release that ends a click adds none.
    connect(upButton_, &QToolButton::pressed, this, [this] { StepBy(1); });
    connect(downButton_, &QToolButton::pressed, this, [this] { StepBy(-1); });
}

void TSpinEdit::StepBy(int steps)
{
    setText(QString::fromStdString(SteppedSetText(text().toStdString(), steps)));
}

bool TSpinEdit::Accepts(const QString& typed) const
{
    const std::u32string decimal = locale().decimalPoint().toStdU32String();
    const std::u32string characters = typed.toStdU32String();
    return std::ranges::all_of(characters,
                               [&decimal](char32_t c) { return SetSelectorTakes(c, decimal); });
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        StepBy(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::beep();
        event->accept();
        return;
    default:
        break;
    }
    // Shortcuts (paste, cut, undo) carry no typed text of their own.
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!shortcut && !Accepts(event->text())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!Accepts(event->commitString())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    // Only a move to another control of the window counts as leaving the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        ClampOnLeaving();
    QLineEdit::focusOutEvent(event);
}

void TSpinEdit::ClampOnLeaving()
{
    const std::string now = text().toStdString(), after = SetTextOnLeaving(now);
    if (after != now) setText(QString::fromStdString(after));
}

void TSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const int upper = inside.height() / 2;
    upButton_->setGeometry(inside.right() - kButtonWidth + 1, inside.top(), kButtonWidth, upper);
    downButton_->setGeometry(inside.right() - kButtonWidth + 1, inside.top() + upper, kButtonWidth,
                             inside.height() - upper);
}
