#pragma once

#include "common/WindowText.h"

#include <QLineEdit>

class QToolButton;

// The set selector: an edit field that holds text (not a number), with an up and a down
// button at its right end. Typing takes digits, signs and the decimal separator and refuses
// other keys with a beep; a paste may bring any text. Stepping reads the text with the strict
// integer conversion (refused text counts as 0), steps and clamps into the range. Leaving the
// field replaces only a number outside the range by its nearer bound.
class TSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent);
    void StepBy(int steps);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Accepts(const QString& typed) const;
    void ClampOnLeaving();

    QToolButton* upButton_;
    QToolButton* downButton_;
};
