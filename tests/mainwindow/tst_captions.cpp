// Every window in every language, shown offscreen: no caption is wider than the control that
// shows it, and the job list's description column takes the width the list has left.
// With ZOLVANE_SCREENSHOT_DIR set, a picture of every window and page in every language is kept
// there.
#include "JobRow.h"
#include "LanguageKeys.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Width of a caption in the control's own font; "&" marks a shortcut and takes no room.
int textWidth(const QWidget *w, const QString &text)
{
    return w->fontMetrics()
        .boundingRect(QRect(0, 0, 100000, 100000), Qt::TextShowMnemonic, text)
        .width();
}

int metric(const QWidget *w, QStyle::PixelMetric m)
{
    return w->style()->pixelMetric(m, nullptr, w);
}

// The window's name and the names of the control's parents down to the control.
QString pathOf(const QWidget *w)
{
    QStringList names;
    for (const QWidget *at = w; at; at = at->isWindow() ? nullptr : at->parentWidget()) {
        if (!at->objectName().isEmpty() && !at->objectName().startsWith(QLatin1String("qt_")))
            names.prepend(at->objectName());
    }
    return names.join(QLatin1Char('/'));
}

// How much of the control's width its parents leave in view.
int shownWidth(const QWidget *w)
{
    QRect shown = w->rect();
    const QWidget *child = w;
    for (const QWidget *parent = w->parentWidget(); parent && !child->isWindow();
         child = parent, parent = parent->parentWidget())
        shown = shown.translated(child->pos()) & parent->rect();
    return qMax(0, shown.width());
}

struct Cut {
    QString control;
    QString text;
    int need;
    int have;
};

// Captions of one control that do not fit it.
void measure(QWidget *w, QList<Cut> &cuts)
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
            // A wrapped text may take several lines, but its longest word must fit on one, and
            // all its lines must fit in the label's height.
            int longestWord = 0;
            for (const QString &word : label->text().split(QRegularExpression(QStringLiteral("\\s+"))))
                longestWord = qMax(longestWord, textWidth(w, word));
            check(label->text(), longestWord, roomShown);
            const int lines = label->fontMetrics()
                                  .boundingRect(QRect(0, 0, qMax(1, room.width()), 100000),
                                                Qt::TextWordWrap, label->text())
                                  .height();
            if (lines > room.height())
                cuts << Cut{pathOf(w) + QStringLiteral(" (height)"), label->text(), lines, room.height()};
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

// Lays the shown windows out again after a change of texts or of the shown page.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QList<Cut> cutsIn(QWidget *window)
{
    settle();
    QList<Cut> cuts;
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *w : controls)
        if (w->isVisible() && w->window() == window)
            measure(w, cuts);
    return cuts;
}

void keepPicture(QWidget *window, const QString &language, const QString &view)
{
    static const QString folder = qEnvironmentVariable("ZOLVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window->grab().save(QStringLiteral("%1/%2-%3-%4.png")
                            .arg(folder, language, window->metaObject()->className(), view));
}

// Frames of the main window that share a place on a page: one of each group is shown at a
// time, by the engine or the channel choice.
const QList<QStringList> &FrameGroups()
{
    static const QList<QStringList> groups{
        {"TGPRef1", "FaacFrame1", "NDFrame1", "CTFrame1", "NeroFrame1"},
        {"AC3EncFrame1", "AftenFrame1"},
        {"LameFrame1", "AuXFrame1"}};
    return groups;
}

// The offscreen platform notes each window it cannot size by its hints; that is no fault of
// the windows, and the notes would bury the report.
QtMessageHandler g_testLog = nullptr;
void DropPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")) && g_testLog)
        g_testLog(type, context, message);
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        g_testLog = qInstallMessageHandler(DropPlatformNotes);
        // A transcoder path in the settings file keeps the first showing from asking for one.
        QFile settings(ProgramFolder() + QStringLiteral("Zolvane.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Zolvane]\r\nKandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\n");
        settings.close();
        InitZolvaneProcess();
        CreateZolvaneWindows();
        MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        // Every page of the main window is looked at, the ones hidden in the layout too.
        for (QAction *item : MainForm->findChild<QMenu *>(QStringLiteral("tab1"))->actions())
            if (!item->isChecked())
                item->trigger();
        for (const QString &name : ZolvaneWindowCreationOrder()) {
            QWidget *window = windowNamed(name);
            QVERIFY2(window, qPrintable(name));
            if (window != MainForm)
                window->show();
        }
    }
    void cleanupTestCase()
    {
        DestroyZolvaneWindows();
        QFile::remove(ProgramFolder() + QStringLiteral("Zolvane.ini"));
    }

    // Each language is applied through its own item of the Language menu; then every window,
    // every page of the main window and every frame of a page is looked at.
    void captionsFitTheirControls_data()
    {
        QTest::addColumn<QString>("item");
        for (const TLanguageName &name : LanguageNames())
            QTest::newRow(name.Name) << QString::fromLatin1(name.Item);
    }
    void captionsFitTheirControls()
    {
        QFETCH(QString, item);
        const QString language = QString::fromUtf8(QTest::currentDataTag());
        auto *choice = MainForm->findChild<QAction *>(item);
        QVERIFY(choice);
        choice->trigger();
        QVERIFY(choice->isChecked());

        QStringList faults;
        const auto note = [&](QWidget *window, const QString &view) {
            for (const Cut &cut : cutsIn(window))
                faults << QStringLiteral("%1 [%2] %3 \"%4\": needs %5 px, has %6")
                              .arg(window->metaObject()->className(), view, cut.control, cut.text)
                              .arg(cut.need)
                              .arg(cut.have);
            keepPicture(window, language, view);
        };

        for (const QString &name : ZolvaneWindowCreationOrder()) {
            QWidget *window = windowNamed(name);
            if (window != MainForm)
                note(window, QStringLiteral("window"));
        }

        QTabWidget *pages = MainForm->PageControl1;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QWidget *page = pages->widget(i);
            note(MainForm, page->objectName());
            for (const QStringList &group : FrameGroups()) {
                QList<QWidget *> frames;
                for (const QString &frameName : group)
                    if (auto *frame = page->findChild<QWidget *>(frameName))
                        frames << frame;
                if (frames.isEmpty())
                    continue;
                QList<bool> wasShown;
                for (QWidget *frame : frames)
                    wasShown << frame->isVisibleTo(page);
                for (QWidget *shown : frames) {
                    for (QWidget *frame : frames)
                        frame->setVisible(frame == shown);
                    note(MainForm, shown->objectName());
                }
                for (int f = 0; f < frames.size(); ++f)
                    frames[f]->setVisible(wasShown[f]);
            }
        }
        // The progress display lies over the pages while a batch runs.
        MainForm->ProgressFrame1->show();
        note(MainForm, QStringLiteral("ProgressFrame1"));
        MainForm->ProgressFrame1->hide();

        for (const QString &fault : faults)
            qInfo("%s: %s", qPrintable(language), qPrintable(fault));
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("captions cut in %1 (listed above)").arg(language)));
    }

    // The description column reaches the list's right edge, however wide the window is, and
    // keeps its own width when the list is too narrow for it.
    void descriptionTakesTheFreeWidth_data()
    {
        QTest::addColumn<int>("windowWidth");
        QTest::newRow("as laid out") << 900;
        QTest::newRow("wide") << 1400;
        QTest::newRow("wider") << 1100;
    }
    void descriptionTakesTheFreeWidth()
    {
        QFETCH(int, windowWidth);
        MainForm->Eng->trigger();
        QTreeWidget *list = MainForm->InputListView;
        auto *row = new QTreeWidgetItem(list);
        row->setCheckState(jcCheck, Qt::Checked);
        row->setText(jcFilename, QStringLiteral("concert.wav"));
        const QString description = QStringLiteral("WAV 48000 Hz 24 bit 6 channels 01:02:03 (a live "
                                                   "recording of the whole evening, with the encores)");
        row->setText(jcDescription, description);
        MainForm->resize(windowWidth, MainForm->height());
        settle();
        const int right = list->columnViewportPosition(jcDescription) + list->columnWidth(jcDescription);
        const int needed = list->fontMetrics().horizontalAdvance(description);
        const int freeWidth = list->viewport()->width();
        delete row;
        QCOMPARE(right, freeWidth);
        if (freeWidth - list->columnViewportPosition(jcDescription) > needed + 20)
            QVERIFY(list->columnWidth(jcDescription) > needed);
        QVERIFY(list->columnWidth(jcDescription) >= 311);
        MainForm->resize(900, MainForm->height());
    }
};

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
