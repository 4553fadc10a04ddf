#include "UAudX.h"
#include "ui_TAudXForm.h"

#include "DialogSupport.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QEvent>
#include <QPainter>
#include <QUrl>

TAudXForm *AudXForm = nullptr;

static const QString AudXAddress = QStringLiteral("https://audx.zolvane.org/");

// A plain drawn badge for the encoder package.
static QPixmap AudXPicture(int width, int height)
{
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 30, 30));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 8, 8);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(height / 3);
    painter.setFont(font);
    painter.setPen(QColor(240, 240, 240));
    painter.drawText(QRect(0, 0, width, height), Qt::AlignCenter, QStringLiteral("5.1 MP3"));
    return picture;
}

TAudXForm::TAudXForm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAudXForm>())
{
    setObjectName(QStringLiteral("AudXForm"));
    ui->setupUi(this);
    ui->TntImage1->setPixmap(AudXPicture(96, 64));
    // The picture's hint appears once the pointer has moved over it.
    ui->TntImage1->setMouseTracking(true);
    ui->TntImage1->installEventFilter(this);
    ui->lbAudXlink->setText(AudXAddress);
    ui->lbAudXlink->setToolTip(AudXAddress);
    MakeLinkLabel(ui->lbAudXlink, [this] { lbAudXlinkClick(); });
    connect(ui->btOk, &QAbstractButton::clicked, this, &TAudXForm::btOkClick);
}

TAudXForm::~TAudXForm() = default;

void TAudXForm::btOkClick()
{
    hide();
    // Back to stereo MP3 output: the stereo button's own handler follows.
    if (auto *stereo = MainFormChild<QAbstractButton>("rbMP3Ch2"))
        stereo->setChecked(true);
}

void TAudXForm::lbAudXlinkClick()
{
    QDesktopServices::openUrl(QUrl(ui->lbAudXlink->toolTip()));
}

bool TAudXForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->TntImage1 && event->type() == QEvent::MouseMove && ui->TntImage1->toolTip().isEmpty())
        ui->TntImage1->setToolTip(AudXAddress);
    return QDialog::eventFilter(watched, event);
}
