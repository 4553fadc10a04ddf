#include "UScrollPanel.h"

#include <QEvent>
#include <QScrollBar>

TScrollPanel::TScrollPanel(QWidget *parent)
    : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The panel gets wider while its scroll bar is shown and narrower again when it goes.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { updateGeometry(); });
}

int TScrollPanel::barWidth() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->maximum() > 0 ? bar->sizeHint().width() : 0;
}

QSize TScrollPanel::sizeHint() const
{
    const QWidget *contents = widget();
    if (!contents)
        return QScrollArea::sizeHint();
    const QSize wanted = contents->sizeHint().expandedTo(contents->minimumSizeHint());
    const int frame = 2 * frameWidth();
    return {wanted.width() + frame + barWidth(), wanted.height() + frame};
}

QSize TScrollPanel::minimumSizeHint() const
{
    const QWidget *contents = widget();
    if (!contents)
        return QScrollArea::minimumSizeHint();
    const int frame = 2 * frameWidth();
    const int width = contents->minimumSizeHint().width() + frame + barWidth();
    // As low as a scroll bar can be, but never higher than the contents themselves.
    const int height = qMin(QScrollArea::minimumSizeHint().height(), contents->minimumSizeHint().height() + frame);
    return {width, height};
}

bool TScrollPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A new caption (a language change) or a page shown or hidden changes what the contents
    // need: let the window lay the panel out again.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
