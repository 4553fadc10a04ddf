#include "DialogSupport.h"

#include "UMain.h"

#if __has_include("UMainGlobals.h")
#include "UMainGlobals.h"
#define ZOLVANE_SHARED_CMDLINE_FLAG 1
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QMouseEvent>
#include <QPalette>

QString SettingsFilePath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

QWidget *MainFormWidget()
{
    return MainForm;
}

bool CallMainForm(const char *slot)
{
    if (!MainForm)
        return false;
    const QMetaObject *meta = MainForm->metaObject();
    if (meta->indexOfMethod(QMetaObject::normalizedSignature((QByteArray(slot) + "()").constData())) < 0)
        return false;
    return QMetaObject::invokeMethod(MainForm, slot, Qt::DirectConnection);
}

void RebuildCommandLine()
{
    CallMainForm("KDCmdl");
}

#ifndef ZOLVANE_SHARED_CMDLINE_FLAG
// Stands in for the main window's flag until the builder's globals exist.
static bool CmdLineEdited = false;
#endif

bool CommandLineEdited()
{
    return CmdLineEdited;
}

void MarkCommandLineEdited()
{
    CmdLineEdited = true;
}

void ResetCommandLineEdited()
{
    CmdLineEdited = false;
}

namespace {

class LinkLabelFilter : public QObject
{
public:
    LinkLabelFilter(QLabel *label, std::function<void()> onClick)
        : QObject(label), m_label(label), m_onClick(std::move(onClick))
    {
        setColour(Qt::blue);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_label) {
            switch (event->type()) {
            case QEvent::Enter:
                setColour(Qt::red);
                break;
            case QEvent::Leave:
                setColour(Qt::blue);
                break;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
                    && m_label->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())
                    && m_onClick)
                    m_onClick();
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void setColour(const QColor &colour)
    {
        QPalette palette = m_label->palette();
        palette.setColor(QPalette::WindowText, colour);
        m_label->setPalette(palette);
    }

    QLabel *m_label;
    std::function<void()> m_onClick;
};

} // namespace

void MakeLinkLabel(QLabel *label, std::function<void()> onClick)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(new LinkLabelFilter(label, std::move(onClick)));
}

void CentreOnMainForm(QWidget *window)
{
    QWidget *main = MainFormWidget();
    if (!main || main == window)
        return;
    const QSize size = window->frameGeometry().size().isEmpty() ? window->sizeHint()
                                                                : window->frameGeometry().size();
    window->move(main->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}
