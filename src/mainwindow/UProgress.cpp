#include "UProgress.h"

#include <QHeaderView>
#include <QStyle>

TProgressFrame::TProgressFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    // The frame lies over the encoder pages while a batch runs.
    setAutoFillBackground(true);
    SpeedButtonStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    SpeedButtonQuit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ListViewInfos->header()->resizeSection(0, 24);
    ListViewInfos->header()->resizeSection(1, 70);
    ListViewInfos->header()->resizeSection(2, 220);
}
