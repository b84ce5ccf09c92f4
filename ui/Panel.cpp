#include "Panel.h"

#include <QPainter>
#include <qdrawutil.h>

TPanel::TPanel(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setFocusPolicy(Qt::NoFocus);
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect outer = rect();
    qDrawShadePanel(&painter, outer, palette(), false, 1);
    qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), true, 1);
}
