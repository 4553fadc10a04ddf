#include "UAbout.h"
#include "ui_TAbout.h"

#include "DialogSupport.h"

#include <QDesktopServices>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QUrl>

#include <cmath>

TAbout *About = nullptr;

static const QString MakerMail = QStringLiteral("zolvane@zolvane.org");

// The program's picture: a sound wave on a rounded tile.
static QPixmap ProgramPicture(int side)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(0, 0, 0, side);
    tile.setColorAt(0, QColor(40, 90, 170));
    tile.setColorAt(1, QColor(15, 40, 95));
    painter.setBrush(tile);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, side - 4, side - 4), side / 6.0, side / 6.0);
    QPainterPath wave;
    for (int x = 8; x <= side - 8; ++x) {
        const double t = double(x - 8) / (side - 16);
        const double y = side / 2.0 + std::sin(t * 6 * M_PI) * (side / 4.0) * std::sin(t * M_PI);
        if (x == 8)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    painter.setPen(QPen(QColor(250, 200, 60), side / 24.0, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    return picture;
}

TAbout::TAbout(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAbout>())
{
    setObjectName(QStringLiteral("About"));
    ui->setupUi(this);
    ui->Image1->setPixmap(ProgramPicture(96));
    MakeLinkLabel(ui->Label5, [this] { Label5Click(); });
    MakeLinkLabel(ui->Label7, [this] { Label7Click(); });
}

TAbout::~TAbout() = default;

void TAbout::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}

void TAbout::Label5Click()
{
    QDesktopServices::openUrl(QUrl(ui->Label5->toolTip()));
}

void TAbout::Label7Click()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + MakerMail + QStringLiteral("?subject=Zolvane")));
}
