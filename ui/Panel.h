#pragma once

#include <QFrame>

// A panel in the colour of button faces, with a raised outer and a lowered inner bevel, each
// one pixel wide.
class TPanel : public QFrame {
public:
    explicit TPanel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
