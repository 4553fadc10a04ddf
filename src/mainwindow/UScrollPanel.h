#pragma once

#include <QScrollArea>

// A panel of the main window that scrolls its contents up and down when the window is too low
// to show them whole (a small screen). It is always as wide as its contents need, the scroll
// bar included while one is shown, so that no caption is cut at the side; and, while the
// window is high enough, it asks for the whole height of its contents, so that at a normal size
// it looks like the contents alone.
class TScrollPanel : public QScrollArea
{
    Q_OBJECT
public:
    explicit TScrollPanel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int barWidth() const;
};
