#include "DialogSupport.h"

#include "UMain.h"

#if __has_include("UMainGlobals.h")
#include "UMainGlobals.h"
#define ZOLVANE_SHARED_CMDLINE_FLAG 1
#endif

#include <QCoreApplication>
#include <climits>
#include <QScreen>
#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>

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

QRect FitOntoScreen(const QWidget *window, int left, int top, int width, int height, QSize least)
{
    qint64 w = width > 0 ? width : window->width();
    qint64 h = height > 0 ? height : window->height();
    const QPoint centre(int(qBound(qint64(INT_MIN), left + w / 2, qint64(INT_MAX))),
                        int(qBound(qint64(INT_MIN), top + h / 2, qint64(INT_MAX))));
    QScreen *screen = QGuiApplication::screenAt(centre);
    if (!screen)
        screen = QGuiApplication::screenAt(QPoint(left, top));
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(left, top, int(qMin<qint64>(w, QWIDGETSIZE_MAX)), int(qMin<qint64>(h, QWIDGETSIZE_MAX)));
    const QRect area = screen->availableGeometry();
    // The frame around the window, where the window system has one.
    const QRect frame = window->frameGeometry();
    const qint64 frameWidth = qMax(0, frame.width() - window->width());
    const qint64 frameHeight = qMax(0, frame.height() - window->height());
    w = qMax<qint64>(qMin<qint64>(w, area.width() - frameWidth), qMax(1, least.width()));
    h = qMax<qint64>(qMin<qint64>(h, area.height() - frameHeight), qMax(1, least.height()));
    qint64 x = qMin<qint64>(left, qint64(area.x()) + area.width() - w - frameWidth);
    qint64 y = qMin<qint64>(top, qint64(area.y()) + area.height() - h - frameHeight);
    x = qMax<qint64>(x, area.x());
    y = qMax<qint64>(y, area.y());
    return QRect(int(x), int(y), int(w), int(h));
}

namespace {

// Keeps the text an edit held before the user's last change, to tell what the change inserted.
class InsertedTextFilter : public QObject
{
public:
    InsertedTextFilter(QLineEdit *edit, std::function<bool(QChar, const QString &)> accepted)
        : QObject(edit), m_edit(edit), m_accepted(std::move(accepted)), m_before(edit->text())
    {
        // textEdited comes before textChanged: the change is mended before anyone reads it.
        connect(edit, &QLineEdit::textEdited, this, &InsertedTextFilter::Edited);
        connect(edit, &QLineEdit::textChanged, this, [this] { m_before = m_edit->text(); });
    }

private:
    void Edited(const QString &after)
    {
        // The inserted part lies between what the text kept at its start and at its end.
        const qsizetype shorter = std::min(m_before.size(), after.size());
        qsizetype head = 0;
        while (head < shorter && m_before.at(head) == after.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head
               && m_before.at(m_before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
            ++tail;
        const QString inserted = after.mid(head, after.size() - head - tail);
        const QString start = after.left(head);
        const QString end = after.right(tail);
        QString kept;
        for (const QChar c : inserted) {
            if (m_accepted(c, start + kept + end))
                kept += c;
        }
        if (kept == inserted)
            return;
        if (kept.isEmpty() && !inserted.isEmpty()) {
            // Like a refused key, a paste of nothing acceptable leaves the text as it was.
            const QString before = m_before;
            m_edit->setText(before);
            m_edit->setCursorPosition(int(head));
            return;
        }
        m_edit->setText(start + kept + end);
        m_edit->setCursorPosition(int(start.size() + kept.size()));
    }

public:
    // Whether typing the whole of `text` into an empty edit would keep every character.
    bool Takes(const QString &text) const
    {
        QString typed;
        for (const QChar c : text) {
            if (!m_accepted(c, typed))
                return false;
            typed += c;
        }
        return true;
    }

private:
    QLineEdit *m_edit;
    std::function<bool(QChar, const QString &)> m_accepted;
    QString m_before;
};

} // namespace

void FilterInsertedText(QLineEdit *edit, std::function<bool(QChar typed, const QString &currentText)> accepted)
{
    if (edit)
        new InsertedTextFilter(edit, std::move(accepted));
}

void SetStoredText(QLineEdit *edit, const QString &text)
{
    if (!edit)
        return;
    for (QObject *child : edit->children()) {
        if (const auto *filter = dynamic_cast<const InsertedTextFilter *>(child); filter && !filter->Takes(text))
            return;
    }
    edit->setText(text);
}
