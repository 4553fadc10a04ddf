#pragma once

// Measuring captions against the controls that show them, for the window tests: a caption is cut
// when its text in the control's own font is wider than the room the control and its parents
// leave it.

#include <QtTest>
#include <QtWidgets>

namespace CaptionCheck {

// Width of a caption in the control's own font; "&" marks a shortcut and takes no room.
inline int textWidth(const QWidget *w, const QString &text)
{
    return w->fontMetrics()
        .boundingRect(QRect(0, 0, 100000, 100000), Qt::TextShowMnemonic, text)
        .width();
}

inline int metric(const QWidget *w, QStyle::PixelMetric m)
{
    return w->style()->pixelMetric(m, nullptr, w);
}

// The window's name and the names of the control's parents down to the control.
inline QString pathOf(const QWidget *w)
{
    QStringList names;
    for (const QWidget *at = w; at; at = at->isWindow() ? nullptr : at->parentWidget()) {
        if (!at->objectName().isEmpty() && !at->objectName().startsWith(QLatin1String("qt_")))
            names.prepend(at->objectName());
    }
    return names.join(QLatin1Char('/'));
}

// How much of the control's width its parents leave in view.
inline int shownWidth(const QWidget *w)
{
    // Only the sides count: a control that a panel scrolls up or down out of view is not cut.
    int left = 0;
    int right = w->width();
    const QWidget *child = w;
    for (const QWidget *parent = w->parentWidget(); parent && !child->isWindow();
         child = parent, parent = parent->parentWidget()) {
        left = qMax(left + child->x(), 0);
        right = qMin(right + child->x(), parent->width());
    }
    return qMax(0, right - left);
}

struct Cut {
    QString control;
    QString text;
    int need;
    int have;
};

// Captions of one control that do not fit it.
inline void measure(QWidget *w, QList<Cut> &cuts)
{
    const int shown = shownWidth(w);
    const auto check = [&](const QString &text, int need, int have) {
        if (!text.isEmpty() && need > have)
            cuts << Cut{pathOf(w), text, need, have};
    };
    // Buttons, check boxes and radios draw their caption in the part of the control that the
    // style leaves beside the indicator and inside the frame.
    const auto room = [&](QStyle::SubElement part, const QString &text) {
        QStyleOptionButton option;
        option.initFrom(w);
        option.text = text;
        const QRect contents = w->style()->subElementRect(part, &option, w);
        return contents.width() - (w->width() - shown);
    };
    if (auto *box = qobject_cast<QCheckBox *>(w)) {
        check(box->text(), textWidth(w, box->text()), room(QStyle::SE_CheckBoxContents, box->text()));
    } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        check(radio->text(), textWidth(w, radio->text()), room(QStyle::SE_RadioButtonContents, radio->text()));
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        check(button->text(), textWidth(w, button->text()), room(QStyle::SE_PushButtonContents, button->text()));
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return;
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                          -label->margin(), -label->margin());
        const int roomShown = room.width() - (label->width() - shown);
        if (label->wordWrap()) {
            // A wrapped text is broken into lines as the label breaks it (at blanks, and between
            // the characters of scripts that write no blanks); its widest line must fit the
            // width, and all its lines the label's height.
            const QRect wrapped = label->fontMetrics().boundingRect(
                QRect(0, 0, qMax(1, room.width()), 100000), Qt::TextWordWrap, label->text());
            check(label->text(), wrapped.width(), roomShown);
            if (wrapped.height() > room.height())
                cuts << Cut{pathOf(w) + QStringLiteral(" (height)"), label->text(), wrapped.height(), room.height()};
        } else if (label->textFormat() == Qt::RichText
                   || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
            QTextDocument document;
            document.setDefaultFont(label->font());
            document.setDocumentMargin(0);
            document.setHtml(label->text());
            check(label->text(), qCeil(document.idealWidth()), roomShown);
        } else {
            check(label->text(), textWidth(w, label->text()) + qMax(0, label->indent()), roomShown);
        }
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        int need = textWidth(w, group->title() + QLatin1Char(' '));
        if (group->isCheckable())
            need += metric(w, QStyle::PM_IndicatorWidth) + metric(w, QStyle::PM_CheckBoxLabelSpacing);
        check(group->title(), need, shown);
        // The frame is drawn at the group's edges: a group wider than its room loses its border.
        if (shown < w->width())
            cuts << Cut{pathOf(w) + QStringLiteral(" (border)"), group->title(), w->width(), shown};
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        // Every choice of a list is shown in its edit field once chosen.
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        int room = field.width();
        if (const QLineEdit *edit = combo->lineEdit()) {
            // An editable list shows the choice in its edit, which keeps a margin of 2 px at
            // each side of its text.
            const QMargins margins = edit->textMargins();
            room = edit->contentsRect().width() - margins.left() - margins.right() - 2 * 2;
        }
        const int have = room - (combo->width() - shown);
        for (int i = 0; i < combo->count(); ++i) {
            const QString text = combo->itemText(i);
            int need = combo->fontMetrics().horizontalAdvance(text);
            if (!combo->itemIcon(i).isNull())
                need += combo->iconSize().width() + 4;
            check(text, need, have);
        }
    } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
        for (int i = 0; i < bar->count(); ++i) {
            if (!bar->isTabVisible(i))
                continue;
            const int have = (bar->tabRect(i) & bar->rect()).width();
            check(bar->tabText(i), textWidth(w, bar->tabText(i)) + metric(w, QStyle::PM_TabBarTabHSpace), have);
        }
    } else if (auto *header = qobject_cast<QHeaderView *>(w)) {
        if (header->orientation() != Qt::Horizontal || !header->model())
            return;
        for (int c = 0; c < header->count(); ++c) {
            if (header->isSectionHidden(c))
                continue;
            const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
            const int left = header->sectionViewportPosition(c);
            const int have = (QRect(left, 0, header->sectionSize(c), 1) & header->rect()).width();
            check(text, textWidth(w, text) + 2 * metric(w, QStyle::PM_HeaderMargin), have);
        }
    }
}

QWidget *windowNamed(const QString &className)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (QString::fromLatin1(top->metaObject()->className()) == className)
            return top;
    return nullptr;
}

// Lays the shown windows out again after a change of texts or of the shown page: a new
// caption can make a panel grow, its scroll bar come or go and the window grow again, each in a
// pass of its own, so the events run until the windows keep their sizes.
inline void settle()
{
    const auto sizes = [] {
        QList<QSize> all;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible())
                for (QWidget *w : top->findChildren<QWidget *>(Qt::FindChildrenRecursively))
                    all << w->size();
        return all;
    };
    QList<QSize> before = sizes();
    for (int pass = 0, still = 0; pass < 50 && still < 3; ++pass) {
        QCoreApplication::processEvents();
        const QList<QSize> now = sizes();
        still = now == before ? still + 1 : 0;
        before = now;
    }
}

inline QList<Cut> cutsIn(QWidget *window)
{
    settle();
    QList<Cut> cuts;
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *w : controls)
        if (w->isVisible() && w->window() == window)
            measure(w, cuts);
    return cuts;
}

// The offscreen platform notes each window it cannot size by its hints; that is no fault of
// the windows, and the notes would bury the report.
inline QtMessageHandler g_testLog = nullptr;
inline void DropPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")) && g_testLog)
        g_testLog(type, context, message);
}

// Installs DropPlatformNotes in front of the test log; call it from initTestCase, after the
// test framework has installed its own handler.
inline void DropPlatformNotesFromTheLog()
{
    g_testLog = qInstallMessageHandler(DropPlatformNotes);
}

} // namespace CaptionCheck
