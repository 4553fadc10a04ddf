// The option controls as the user works them: typed values and Enter in the editable lists of the
// processing options, choices made in the drop-down lists' pop-ups, clicks on boxes, arrow keys
// in the advanced dialog's spin edits, and pasting into the filtered edits. Each case follows the
// change into the selected job's command line, and into the next session where it is stored.
#include "IniFile.h"
#include "JobRow.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "ULame.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include "UCTFrame.h"
#include "UFAACFrame.h"
#include "UNeroFrame.h"

#include "MainFormControls.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QByteArray kTranscoderPath = ZOLVANE_TRANSCODER_DIR "/Kandrum.exe";

QString SettingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

// A settings file that names the transcoder (so that no tool-path dialog opens) and holds `rest`.
void WriteSettings(const QByteArray &rest = {})
{
    QFile file(SettingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Zolvane]\r\nKandrum_path=" + kTranscoderPath + "\r\n" + rest);
}

void StartSession()
{
    InitZolvaneProcess();
    CreateZolvaneWindows();
    MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
    MainForm->show();
    QCoreApplication::processEvents();
}

void EndSession()
{
    DestroyZolvaneWindows();
}

QTreeWidgetItem *Row(int i)
{
    return MainForm->InputListView->topLevelItem(i);
}

QString Cmd()
{
    return Row(0)->text(jcCmd);
}

// Adds copies of the fixtures through the open dialog and selects the first row.
void AddInputs(const QTemporaryDir &folder, const QStringList &fixtures)
{
    QStringList paths;
    for (const QString &fixture : fixtures) {
        const QString path = folder.filePath(QFileInfo(fixture).fileName());
        if (!QFile::exists(path))
            QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + fixture, path));
        paths << path;
    }
    TMainForm::OpenDialog1Hook = [paths](QWidget *, const QStringList &, int) { return paths; };
    MainForm->Open1Click();
    QCOMPARE(MainForm->InputListView->topLevelItemCount(), fixtures.size());
    MainForm->InputListView->clearSelection();
    Row(0)->setSelected(true);
    MainForm->KDCmdl();
}

void Click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

// Chooses an item of a drop-down list as the user does: open the pop-up, walk to the item with
// the arrow keys, press Enter.
void ChooseInPopup(QComboBox *combo, const QString &text)
{
    const int target = combo->findText(text);
    QVERIFY2(target >= 0, qPrintable(text));
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    while (view->currentIndex().row() < target)
        QTest::keyClick(view, Qt::Key_Down);
    while (view->currentIndex().row() > target)
        QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentText(), text);
}

// Selects the whole text of an edit with the keys (Ctrl+A may be a window's shortcut).
void SelectAll(QLineEdit *edit)
{
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
}

// Replaces the whole text of an edit by typing, as the user would: select all, then the keys.
void TypeOver(QLineEdit *edit, const QString &keys)
{
    SelectAll(edit);
    QTest::keyClicks(edit, keys);
}

// Replaces the whole text of an edit by a paste of `clipboard` (Ctrl+V).
void PasteOver(QLineEdit *edit, const QString &clipboard)
{
    QGuiApplication::clipboard()->setText(clipboard);
    SelectAll(edit);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

QStringList Items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// One turn of the mouse wheel over a control, `notches` steps up (negative: down).
void Wheel(QWidget *control, int notches)
{
    const QPoint at = control->rect().center();
    QWheelEvent turn(at, control->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(control, &turn);
}

// The option controls of an area that the user can reach now: shown and enabled, and no push
// button (those open windows).
template <typename Control>
QList<Control *> Reachable(QWidget *area)
{
    QList<Control *> found;
    for (Control *c : area->findChildren<Control *>()) {
        if (c->isVisible() && c->isEnabled())
            found << c;
    }
    return found;
}

const QStringList kSampleRates = {"8000",  "11025", "12000", "16000", "22050",
                                  "24000", "32000", "44100", "48000"};

} // namespace

class TestOptionControls : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cwd;
    QTemporaryDir m_inputs;

private slots:
    void initTestCase()
    {
        QVERIFY(m_cwd.isValid() && m_inputs.isValid());
        QDir::setCurrent(m_cwd.path());
        TMainForm::MessageHook = [](QWidget *, const QString &, bool) {};
    }

    void init()
    {
        QFile::remove(SettingsPath());
    }

    void cleanup()
    {
        if (MainForm)
            EndSession();
        QLocale::setDefault(QLocale::c());
    }

    // A rate typed into the resampler's list and confirmed with Enter is used at once but adds no
    // item; the session after it finds the list whole and on a real rate. The same holds for the
    // gain-mode list. An emptied rate box never gives the resampler an empty rate.
    void typedValuesMakeNoItemsAndTheNextStartHasARealRate()
    {
        WriteSettings();
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        TMainForm *f = MainForm;
        Click(f->chSSRC);
        QVERIFY(f->chSSRC->isChecked() && f->cbSSRC->isEnabled());
        QLineEdit *rate = f->cbSSRC->lineEdit();

        TypeOver(rate, QStringLiteral("96000"));
        QTest::keyClick(rate, Qt::Key_Enter);
        QCOMPARE(Items(f->cbSSRC), kSampleRates);
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 96000 )")), qPrintable(Cmd()));

        // Letters and other signs are no sample rate: the box keeps its number.
        QTest::keyClicks(rate, QStringLiteral("x-,"));
        QCOMPARE(rate->text(), QStringLiteral("96000"));

        // Emptied, the box stands for its chosen item; leaving it shows that item again.
        SelectAll(rate);
        QTest::keyClick(rate, Qt::Key_Backspace);
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 44100 )")), qPrintable(Cmd()));
        QTest::keyClick(rate, Qt::Key_Enter);
        QCOMPARE(rate->text(), QStringLiteral("44100"));

        // A listed rate typed in is that item.
        TypeOver(rate, QStringLiteral("48000"));
        QTest::keyClick(rate, Qt::Key_Enter);
        QCOMPARE(f->cbSSRC->currentIndex(), 8);
        TypeOver(rate, QStringLiteral("32100"));
        QTest::keyClick(rate, Qt::Key_Enter);
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 32100 )")), qPrintable(Cmd()));

        const QStringList gainItems = Items(f->cbOTAMode);
        TypeOver(f->cbOTAMode->lineEdit(), QStringLiteral("Loud"));
        QTest::keyClick(f->cbOTAMode->lineEdit(), Qt::Key_Enter);
        QCOMPARE(Items(f->cbOTAMode), gainItems);
        EndSession();

        // The typed rate survives the restart, and the list is the same nine items.
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        QVERIFY(MainForm->chSSRC->isChecked());
        QCOMPARE(Items(MainForm->cbSSRC), kSampleRates);
        QCOMPARE(MainForm->cbSSRC->currentText(), QStringLiteral("32100"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 32100 )")), qPrintable(Cmd()));
        QVERIFY(!MainForm->cbOTAMode->currentText().isEmpty());

        // A listed rate comes back as its item.
        TypeOver(MainForm->cbSSRC->lineEdit(), QStringLiteral("22050"));
        QTest::keyClick(MainForm->cbSSRC->lineEdit(), Qt::Key_Enter);
        EndSession();
        const TIniFile stored(SettingsPath());
        QCOMPARE(stored.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("ssrc"), -2), 4);
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        QCOMPARE(MainForm->cbSSRC->currentIndex(), 4);
        QCOMPARE(MainForm->cbSSRC->currentText(), QStringLiteral("22050"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 22050 )")), qPrintable(Cmd()));
    }


    // Every option control of the left panel, of each page with each of its engines, of the
    // advanced dialog and of the extra LAME options: whatever the user does to it (a click, the
    // arrow keys, the wheel, typing), the selected job's command line is at once what a fresh
    // build from the controls gives.
    void everyUserChangeRebuildsTheCommandLineAtOnce()
    {
        WriteSettings();
        StartSession();
        TAdvancedSet::MessageHook = [](QWidget *, const QString &, bool) {};
        TAdvancedSet::OpenDialogHook = [](QWidget *, const QString &, const QString &, const QString &) {
            return QString();
        };
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        TMainForm *f = MainForm;
        QStringList stale;
        QString where;
        auto follows = [&](QWidget *control, const char *input) {
            const QString shown = Cmd();
            f->KDCmdl();
            if (Cmd() != shown)
                stale << QStringLiteral("%1 %2 (%3):\n   shown %4\n   built %5")
                             .arg(where, control->objectName(), QLatin1String(input), shown, Cmd());
        };
        auto probe = [&](QWidget *area) {
            for (QCheckBox *box : Reachable<QCheckBox>(area)) {
                if (!box->isVisible() || !box->isEnabled() || box == f->chOTAViewKDCL)
                    continue;
                Click(box);
                follows(box, "click");
            }
            for (QAbstractSlider *bar : Reachable<QAbstractSlider>(area)) {
                // The scroll bars of lists and edits are no option controls.
                if (!bar->isVisible() || !bar->isEnabled() || (qobject_cast<QScrollBar *>(bar) && bar->objectName().isEmpty()))
                    continue;
                QTest::keyClick(bar, Qt::Key_Right);
                follows(bar, "right arrow");
                QTest::keyClick(bar, Qt::Key_PageDown);
                follows(bar, "page down");
                Wheel(bar, 1);
                follows(bar, "wheel");
            }
            for (QSpinBox *spin : Reachable<QSpinBox>(area)) {
                if (!spin->isVisible() || !spin->isEnabled())
                    continue;
                QTest::keyClick(spin, Qt::Key_Up);
                follows(spin, "up arrow");
                Wheel(spin, -1);
                follows(spin, "wheel");
                QLineEdit *text = spin->findChild<QLineEdit *>();
                TypeOver(text, QString::number(spin->minimum() + 1));
                follows(spin, "typed");
            }
            for (QComboBox *combo : Reachable<QComboBox>(area)) {
                if (!combo->isVisible() || !combo->isEnabled())
                    continue;
                if (combo->isEditable()) {
                    const QString first = combo->itemText(combo->count() - 1);
                    TypeOver(combo->lineEdit(), first.left(1));
                    follows(combo, "typed first letter of an item");
                    QTest::keyClick(combo->lineEdit(), Qt::Key_Enter);
                    follows(combo, "Enter");
                    TypeOver(combo->lineEdit(), first);
                    QTest::keyClick(combo->lineEdit(), Qt::Key_Enter);
                    follows(combo, "typed item and Enter");
                    continue;
                }
                combo->setFocus();
                QTest::keyClick(combo, combo->currentIndex() + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
                follows(combo, "arrow key");
                Wheel(combo, combo->currentIndex() > 0 ? 1 : -1);
                follows(combo, "wheel");
            }
            for (QLineEdit *edit : Reachable<QLineEdit>(area)) {
                if (qobject_cast<QComboBox *>(edit->parent()) || qobject_cast<QAbstractSpinBox *>(edit->parent())
                    || !edit->isVisible() || !edit->isEnabled() || edit->isReadOnly())
                    continue;
                TypeOver(edit, QStringLiteral("12"));
                follows(edit, "typed");
                QTest::keyClick(edit, Qt::Key_Backspace);
                follows(edit, "backspace");
            }
            // A radio may bring others into view (a format shows its channel radios).
            for (QRadioButton *radio : area->findChildren<QRadioButton *>()) {
                if (!radio->isVisible() || !radio->isEnabled() || radio->isChecked() || radio == f->rbMP3Ch6)
                    continue;
                Click(radio);
                follows(radio, "click");
            }
        };

        const QList<QWidget *> pages = {f->TabSheet1, f->TabSheet2, f->TabSheet3, f->TabSheet4, f->TabSheet7,
                                        f->TabSheet5, f->TabSheet6, f->LosslessTab};
        for (QWidget *page : pages) {
            // Some pages' tabs are hidden from a fresh start (the View menu shows them).
            f->PageControl1->setTabVisible(f->PageControl1->indexOf(page), true);
            ClickTab(page);
            where = page->objectName();
            for (QWidget *panel : {static_cast<QWidget *>(f->gbAzidDC), static_cast<QWidget *>(f->gbSSRC),
                                   static_cast<QWidget *>(f->gbBoost), static_cast<QWidget *>(f->gbOTA)}) {
                probe(panel);
                probe(panel);
            }
            if (page == f->TabSheet1) {
                for (int engine = 0; engine < f->cbAACEncEngine->count(); ++engine) {
                    ChooseInPopup(f->cbAACEncEngine, f->cbAACEncEngine->itemText(engine));
                    follows(f->cbAACEncEngine, "chosen");
                    where = page->objectName() + QStringLiteral(" engine ") + QString::number(engine);
                    probe(page);
                    probe(page);
                }
            } else {
                probe(page);
                probe(page);
            }
        }
        for (QDialog *dialog : {static_cast<QDialog *>(AdvancedSet), static_cast<QDialog *>(OthersLame)}) {
            ClickTab(dialog == OthersLame ? f->TabSheet4 : f->TabSheet2);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            where = dialog->objectName();
            probe(dialog);
            probe(dialog);
            dialog->close();
        }
        TAdvancedSet::MessageHook = nullptr;
        TAdvancedSet::OpenDialogHook = nullptr;
        QVERIFY2(stale.isEmpty(), qPrintable(stale.join(QLatin1Char('\n'))));
    }



    // A settings file edited by hand (or written where the decimal sign is a comma) may hold
    // values that the filtered edits would never let the user type. Such a value leaves the edit
    // as it was; a value the filter takes is used as stored.
    void storedValuesOfFilteredEditsFollowTheTypingRule_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("taken");
        struct Row { const char *window, *edit, *section, *key, *box; };
        const Row rows[] = {
            {"MainForm", "edOTADelay", "Zolvane", "delay", "delay_check"},
            {"OthersLame", "edFilterLowpass", "MP3", "tab=1\r\nlowpass", "lowpass_check"},
            {"AdvancedSet", "edAppendSilence", "Zolvane", "silence_append", "silence_check"},
            {"AdvancedSet", "edPartialEncStart", "Zolvane", "partial_start", "check_start"},
            {"AdvancedSet", "edPartialEncEnd", "Zolvane", "partial_end", "check_end"},
            {"AdvancedSet", "edManGain", "Zolvane", "man_gain", "man_gain_check"},
            {"AdvancedSet", "ed1SoundTouchFRC", "Zolvane", "in_convfr", "check_convfr"},
        };
        for (const Row &row : rows) {
            for (const auto &[stored, taken] : {std::pair{QStringLiteral("abc"), false}, std::pair{QStringLiteral("1,5"), false},
                                                std::pair{QStringLiteral("\u0661\u0662"), false},
                                                std::pair{QStringLiteral("2.5"), true}}) {
                QByteArray settings = QByteArray(row.box) + "=1\r\n" + row.key + '=' + stored.toUtf8() + "\r\n";
                if (row.section != QByteArray("Zolvane"))
                    settings = QByteArray("[") + row.section + "]\r\n" + settings;
                QTest::addRow("%s %s", row.edit, stored.toUtf8().constData())
                    << settings << QString::fromLatin1(row.window) << QString::fromLatin1(row.edit) << stored << taken;
            }
        }
    }
    void storedValuesOfFilteredEditsFollowTheTypingRule()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, window);
        QFETCH(QString, edit);
        QFETCH(QString, stored);
        QFETCH(bool, taken);
        WriteSettings(settings);
        StartSession();
        TAdvancedSet::MessageHook = [](QWidget *, const QString &, bool) {};
        // An added input sets the delay from its name: the stored delay is seen before.
        const QString delayAtStart = MainForm->edOTADelay->text();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        QWidget *owner = window == "AdvancedSet" ? static_cast<QWidget *>(AdvancedSet)
                         : window == "OthersLame" ? static_cast<QWidget *>(OthersLame)
                                                  : static_cast<QWidget *>(MainForm);
        if (owner == AdvancedSet) {
            // The advanced dialog takes its stored values when it is shown.
            AdvancedSet->show();
            QVERIFY(QTest::qWaitForWindowExposed(AdvancedSet));
        }
        auto *field = owner->findChild<QLineEdit *>(edit);
        QVERIFY(field);
        if (field == MainForm->edOTADelay) {
            QCOMPARE(delayAtStart == stored, taken);
            QVERIFY2(taken || delayAtStart == QLatin1String("0"), qPrintable(delayAtStart));
            return;
        }
        const QString cmd = Cmd();
        if (taken) {
            QVERIFY2(field->text().startsWith(stored), qPrintable(field->text()));
            QVERIFY2(cmd.contains(QLatin1Char(' ') + stored), qPrintable(cmd));
        } else {
            QVERIFY2(field->text() != stored, qPrintable(field->text()));
            for (const QChar c : field->text())
                QVERIFY2(c.unicode() < 0x80 && c != QLatin1Char(',') && !c.isLetter() || c == QLatin1Char('d') || c == QLatin1Char('b'),
                         qPrintable(field->text()));
            QVERIFY2(!cmd.contains(stored), qPrintable(cmd));
        }
        for (const QChar c : cmd)
            QVERIFY2(c.unicode() < 0x80, qPrintable(cmd));
        if (owner == AdvancedSet)
            AdvancedSet->close();
        TAdvancedSet::MessageHook = nullptr;
    }


    // The gain list names three modes. A typed mode name, in any case, is that mode; any other
    // typed or pasted text is no mode: when the typing ends the box shows its chosen mode again,
    // and the command line never runs a mode the box does not show. A stored text that names no
    // mode leaves the box on a mode at the next start.
    void typedOrStoredGainTextIsAlwaysAMode()
    {
        WriteSettings();
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        TMainForm *f = MainForm;
        ClickTab(f->TabSheet2);
        Click(f->chOTAMode);
        QVERIFY(f->cbOTAMode->isEnabled());
        QLineEdit *gain = f->cbOTAMode->lineEdit();
        const QStringList modes = Items(f->cbOTAMode);
        QCOMPARE(modes, QStringList({"HybridGain", "PreGain", "PostGain"}));
        const QMap<QString, QString> switches = {{"HybridGain", " -hybridgain"}, {"PreGain", " -g max"}, {"PostGain", " -G 1"}};
        auto agrees = [&](const QString &mode) {
            QCOMPARE(f->cbOTAMode->currentText(), mode);
            QVERIFY2(Cmd().contains(QStringLiteral(" -ota(") + switches.value(mode) + QLatin1Char(' ')), qPrintable(Cmd()));
        };

        TypeOver(gain, QStringLiteral("pregain"));
        QTest::keyClick(gain, Qt::Key_Enter);
        agrees(QStringLiteral("PreGain"));
        QCOMPARE(Items(f->cbOTAMode), modes);

        TypeOver(gain, QStringLiteral("Loud"));
        QVERIFY2(!Cmd().contains(QLatin1String(" -G 1")), qPrintable(Cmd()));
        QTest::keyClick(gain, Qt::Key_Enter);
        agrees(QStringLiteral("PreGain"));

        PasteOver(gain, QStringLiteral("POSTGAIN"));
        QTest::keyClick(gain, Qt::Key_Enter);
        agrees(QStringLiteral("PostGain"));

        // Leaving the box ends the typing as Enter does.
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        gain->setFocus();
        QTRY_VERIFY(gain->hasFocus());
        PasteOver(gain, QStringLiteral("-G 1 -x"));
        f->InputListView->setFocus();
        QTRY_VERIFY(!gain->hasFocus());
        agrees(QStringLiteral("PostGain"));

        // The AAC encoders take no hybrid gain: its name typed there is no mode of the list.
        ClickTab(f->TabSheet1);
        QCOMPARE(Items(f->cbOTAMode), QStringList({"PreGain", "PostGain"}));
        TypeOver(gain, QStringLiteral("HybridGain"));
        QTest::keyClick(gain, Qt::Key_Enter);
        QCOMPARE(f->cbOTAMode->currentText(), QStringLiteral("PreGain"));
        QVERIFY2(!Cmd().contains(QLatin1String("hybridgain")), qPrintable(Cmd()));

        TypeOver(gain, QStringLiteral("Loud"));
        EndSession();
        const TIniFile stored(SettingsPath());
        QCOMPARE(stored.ReadString(QStringLiteral("Zolvane"), QStringLiteral("gain"), QString()), QStringLiteral("PreGain"));
    }

    void storedGainTextNamingNoModeLeavesAMode_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("mode");
        // Empty: the list's own first mode.
        QTest::newRow("no mode") << QByteArray("Loud") << QString();
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("switches") << QByteArray("-G 1 -x") << QString();
        QTest::newRow("another case") << QByteArray("postgain") << QStringLiteral("PostGain");
        QTest::newRow("a mode") << QByteArray("PostGain") << QStringLiteral("PostGain");
    }
    void storedGainTextNamingNoModeLeavesAMode()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, mode);
        WriteSettings("gain_check=1\r\ngain=" + stored + "\r\n");
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        QVERIFY(MainForm->chOTAMode->isChecked());
        if (mode.isEmpty())
            mode = MainForm->cbOTAMode->itemText(0);
        QCOMPARE(MainForm->cbOTAMode->currentText(), mode);
        const QString expected = mode == QLatin1String("PreGain")      ? QStringLiteral(" -g max")
                                 : mode == QLatin1String("HybridGain") ? QStringLiteral(" -hybridgain")
                                                                       : QStringLiteral(" -G 1");
        QVERIFY2(Cmd().contains(QStringLiteral(" -ota(") + expected + QLatin1Char(' ')), qPrintable(Cmd()));
    }


    // Under locales with other digits, another minus sign or the decimal comma, every number the
    // user sets with the keys and the wheel (spin edits, track bars, lists) reaches the command
    // line and the settings file in ASCII digits with the point and the plain minus sign.
    void numbersAreWrittenTheSameInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"sv_SE", "fa_IR", "de_DE", "ar_EG"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void numbersAreWrittenTheSameInEveryLocale()
    {
        QFETCH(QString, locale);
        WriteSettings();
        StartSession();
        TAdvancedSet::MessageHook = [](QWidget *, const QString &, bool) {};
        AddInputs(m_inputs, {"audio/wav_sox_8k_stereo_s16.wav"});
        TMainForm *f = MainForm;
        // The program starts in the C notation; here every window shows the user's notation.
        const QLocale user(locale);
        QLocale::setDefault(user);
        for (QWidget *window : {static_cast<QWidget *>(f), static_cast<QWidget *>(AdvancedSet),
                                static_cast<QWidget *>(OthersLame)})
            window->setLocale(user);
        QCOMPARE(f->SpEdtMP2VBR->locale(), user);
        QStringList foreign;
        auto ascii = [&](const QString &where) {
            const QString cmd = Cmd();
            for (const QChar c : cmd) {
                if (c.unicode() >= 0x80 || c == QLatin1Char(',')) {
                    foreign << where + QStringLiteral(": ") + cmd;
                    break;
                }
            }
        };
        auto turn = [&](QWidget *area, const QString &where) {
            for (QCheckBox *box : Reachable<QCheckBox>(area)) {
                if (!box->isChecked() && box != f->chOTAViewKDCL && box->isVisible() && box->isEnabled())
                    Click(box);
            }
            for (QSpinBox *spin : Reachable<QSpinBox>(area)) {
                if (!spin->isEnabled())
                    continue;
                // Down from the start, where the range allows below zero.
                for (int i = 0; i < 3; ++i)
                    QTest::keyClick(spin, Qt::Key_Down);
                ascii(where + QLatin1Char(' ') + spin->objectName());
                Wheel(spin, 7);
                ascii(where + QLatin1Char(' ') + spin->objectName());
            }
            for (QAbstractSlider *bar : Reachable<QAbstractSlider>(area)) {
                if (!bar->isEnabled() || bar->objectName().isEmpty())
                    continue;
                QTest::keyClick(bar, Qt::Key_PageUp);
                QTest::keyClick(bar, Qt::Key_Left);
                ascii(where + QLatin1Char(' ') + bar->objectName());
            }
            for (QComboBox *combo : Reachable<QComboBox>(area)) {
                if (!combo->isEnabled() || combo->isEditable())
                    continue;
                QTest::keyClick(combo, Qt::Key_End);
                ascii(where + QLatin1Char(' ') + combo->objectName());
            }
        };
        Click(f->chSSRC);
        ChooseInPopup(f->cbSSRC, QStringLiteral("22050"));
        const QList<QWidget *> pages = {f->TabSheet1, f->TabSheet2, f->TabSheet3, f->TabSheet4, f->TabSheet7,
                                        f->TabSheet5, f->TabSheet6, f->LosslessTab};
        for (QWidget *page : pages) {
            f->PageControl1->setTabVisible(f->PageControl1->indexOf(page), true);
            ClickTab(page);
            if (page == f->TabSheet1) {
                for (int engine = 0; engine < f->cbAACEncEngine->count(); ++engine) {
                    ChooseInPopup(f->cbAACEncEngine, f->cbAACEncEngine->itemText(engine));
                    turn(page, page->objectName() + QString::number(engine));
                }
            } else {
                turn(page, page->objectName());
            }
            turn(f->gbOTA, page->objectName());
        }
        for (QDialog *dialog : {static_cast<QDialog *>(AdvancedSet), static_cast<QDialog *>(OthersLame)}) {
            ClickTab(dialog == OthersLame ? f->TabSheet4 : f->TabSheet6);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            turn(dialog, dialog->objectName());
            dialog->close();
        }
        QVERIFY2(foreign.isEmpty(), qPrintable(foreign.join(QLatin1Char('\n'))));
        EndSession();
        TAdvancedSet::MessageHook = nullptr;

        QFile stored(SettingsPath());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        for (const QByteArray &line : stored.readAll().split('\n')) {
            for (const char c : line)
                QVERIFY2(static_cast<unsigned char>(c) < 0x80 && c != ',', line.constData());
        }
    }


    // Hiding the tab of the page in use (View > Tabs) brings another page into use: the job is
    // named and built for that page exactly as after a click on its tab.
    void hidingTheTabInUseSwitchesThePageAsAClickDoes()
    {
        WriteSettings("[AC3]\r\ntab=1\r\n");
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3", "audio/mp3_cbr128_stereo.mp3"});
        TMainForm *f = MainForm;
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet2);
        // The AC3 page's own switch-in step (its channel choice) first, as before the hiding.
        ClickTab(f->TabSheet3);
        ClickTab(f->TabSheet2);
        ClickTab(f->TabSheet3);
        const QString byClick = Cmd();
        const QString nameByClick = Row(0)->text(jcOutputFilename);
        QVERIFY2(nameByClick.endsWith(QLatin1String(".mp2")), qPrintable(nameByClick));
        ClickTab(f->TabSheet2);
        QVERIFY(Row(0)->text(jcOutputFilename).endsWith(QLatin1String(".ac3")));

        f->AC32->trigger();
        QVERIFY(!f->AC32->isChecked());
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet3);
        QCOMPARE(Row(0)->text(jcOutputFilename), nameByClick);
        QCOMPARE(Cmd(), byClick);

        // Hiding a tab that is not in use changes nothing of the job.
        f->AAC2->trigger();
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet3);
        QCOMPARE(Cmd(), byClick);
    }


    // The arrow keys and the wheel on the tabs walk over the tabs shown only: the SPEEX page,
    // hidden from a fresh start, is never brought into use behind the user's back.
    void keysAndWheelOnTheTabsSkipHiddenPages()
    {
        WriteSettings("[MP3]\r\ntab=1\r\n");
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        TMainForm *f = MainForm;
        QTabBar *tabs = f->PageControl1->tabBar();
        QVERIFY(!f->PageControl1->isTabVisible(f->PageControl1->indexOf(f->TabSheet7)));
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet4);

        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet5);
        QVERIFY2(Row(0)->text(jcOutputFilename).endsWith(QLatin1String(".ogg")), qPrintable(Row(0)->text(jcOutputFilename)));
        QTest::keyClick(tabs, Qt::Key_Left);
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet4);
        QVERIFY2(Row(0)->text(jcOutputFilename).endsWith(QLatin1String(".mp3")), qPrintable(Row(0)->text(jcOutputFilename)));

        // One notch down the wheel is the next tab.
        Wheel(tabs, -1);
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet5);
        QVERIFY2(Cmd().contains(QLatin1String(".ogg\"")), qPrintable(Cmd()));
        Wheel(tabs, 1);
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet4);
        QVERIFY2(Cmd().contains(QLatin1String(".mp3\"")), qPrintable(Cmd()));

        // Past the last shown tab the page in use stays.
        f->Lossless1->trigger();
        QVERIFY(!f->PageControl1->isTabVisible(f->PageControl1->indexOf(f->LosslessTab)));
        ClickTab(f->TabSheet6);
        const QString wav = Cmd();
        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet6);
        QCOMPARE(Cmd(), wav);
    }


    // Typing into an editable list that has the keyboard completes the text from its items as the
    // user types; the command line follows the completed text the box shows, at once.
    void completedTextOfTheEditableListsIsUsedAtOnce()
    {
        WriteSettings();
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        TMainForm *f = MainForm;
        ClickTab(f->TabSheet2);
        Click(f->chSSRC);
        Click(f->chOTAMode);
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));

        QLineEdit *rate = f->cbSSRC->lineEdit();
        rate->setFocus();
        QTRY_VERIFY(rate->hasFocus());
        TypeOver(rate, QStringLiteral("2"));
        QCOMPARE(rate->text(), QStringLiteral("22050"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 22050 )")), qPrintable(Cmd()));
        QTest::keyClicks(rate, QStringLiteral("4"));
        QCOMPARE(rate->text(), QStringLiteral("24000"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 24000 )")), qPrintable(Cmd()));

        QLineEdit *gain = f->cbOTAMode->lineEdit();
        gain->setFocus();
        QTRY_VERIFY(gain->hasFocus());
        TypeOver(gain, QStringLiteral("po"));
        QCOMPARE(gain->text().toLower(), QStringLiteral("postgain"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ota( -G 1 )")), qPrintable(Cmd()));
        f->InputListView->setFocus();
        QTRY_VERIFY(!gain->hasFocus());
        QCOMPARE(gain->text(), QStringLiteral("PostGain"));
        QVERIFY2(Cmd().contains(QLatin1String(" -ota( -G 1 )")), qPrintable(Cmd()));
        QVERIFY2(Cmd().contains(QLatin1String(" -ssrc( --rate 24000 )")), qPrintable(Cmd()));
    }

    // A stored rate index that is no item of the list leaves the list on its own item.
    void storedRateIndexOutsideTheListKeepsARealRate_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("rate");
        QTest::newRow("the item a typed value once became") << QByteArray("9") << QStringLiteral("44100");
        QTest::newRow("far past the end") << QByteArray("12") << QStringLiteral("44100");
        QTest::newRow("nothing chosen") << QByteArray("-1") << QStringLiteral("44100");
        QTest::newRow("no number") << QByteArray("abc") << QStringLiteral("44100");
        QTest::newRow("the last item") << QByteArray("8") << QStringLiteral("48000");
        QTest::newRow("the first item") << QByteArray("0") << QStringLiteral("8000");
        QTest::newRow("a typed rate") << QByteArray("96000") << QStringLiteral("96000");
        QTest::newRow("a typed rate that is an item") << QByteArray("32000") << QStringLiteral("32000");
        QTest::newRow("more digits than the box takes") << QByteArray("1234567") << QStringLiteral("44100");
    }
    void storedRateIndexOutsideTheListKeepsARealRate()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, rate);
        WriteSettings("ssrc_check=1\r\nssrc=" + stored + "\r\n");
        StartSession();
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        QCOMPARE(MainForm->cbSSRC->currentText(), rate);
        QCOMPARE(Items(MainForm->cbSSRC), kSampleRates);
        QVERIFY2(Cmd().contains(QStringLiteral(" -ssrc( --rate %1 )").arg(rate)), qPrintable(Cmd()));
    }

    // The Lossless page's engine list runs the engine change: the frame of the AAC page's engine
    // is shown (here it replaces the frame the settings left visible) and every row is named
    // again.
    void losslessEngineChoiceRunsTheEngineChange()
    {
        // FAAC is the AAC engine, and the settings leave the frame of no engine visible.
        WriteSettings("[AAC]\r\nengine=1\r\nNeroFrame=1\r\n");
        StartSession();
        TMainForm *f = MainForm;
        QVERIFY(!f->NeroFrame1->isHidden());
        QVERIFY(f->FaacFrame1->isHidden());
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3", "audio/mp3_cbr128_stereo.mp3"});
        ClickTab(f->LosslessTab);

        ChooseInPopup(f->cbLosslessEngine, QStringLiteral("Flake"));
        QVERIFY(!f->FaacFrame1->isHidden());
        QVERIFY(f->NeroFrame1->isHidden());
        QVERIFY(f->CTFrame1->isHidden());
        QVERIFY2(Row(0)->text(jcOutputFilename).endsWith(QLatin1String(".flac")),
                 qPrintable(Row(0)->text(jcOutputFilename)));
        QVERIFY2(Cmd().contains(QLatin1String(" flake.exe ")), qPrintable(Cmd()));
    }

    // Ticking and unticking PNS of the Winamp engine shows in the command line at once, whichever
    // MPEG version was chosen before.
    void pnsRebuildsTheCommandLineAtOnce()
    {
        WriteSettings();
        StartSession();
        TMainForm *f = MainForm;
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        ClickTab(f->TabSheet1);
        ChooseInPopup(f->cbAACEncEngine, f->cbAACEncEngine->itemText(3));
        QCheckBox *pns = f->CTFrame1->chCTPNS;
        for (QRadioButton *mpeg : {f->CTFrame1->rbMPEG4, f->CTFrame1->rbMPEG2}) {
            Click(mpeg);
            QVERIFY(mpeg->isChecked());
            Click(pns);
            QVERIFY(pns->isChecked());
            QVERIFY(f->CTFrame1->rbMPEG4->isChecked());
            QVERIFY2(Cmd().contains(QLatin1String(" -pns")), qPrintable(Cmd()));
            Click(pns);
            QVERIFY(!pns->isChecked());
            QVERIFY2(!Cmd().contains(QLatin1String(" -pns")), qPrintable(Cmd()));
        }
    }

    // Tempo, pitch and rate reach the command line in ASCII digits with the plain minus sign,
    // whatever notation the user's locale gives the spin edits.
    void tempoPitchAndRateAreWrittenTheSameInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"sv_SE", "fa_IR", "de_DE", "ar_EG", "hi_IN", "en_US"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void tempoPitchAndRateAreWrittenTheSameInEveryLocale()
    {
        QFETCH(QString, locale);
        const QLocale user(locale);
        WriteSettings();
        StartSession();
        // The tempo is offered for PCM inputs.
        AddInputs(m_inputs, {"audio/wav_sox_8k_stereo_s16.wav"});
        QLocale::setDefault(user);
        AdvancedSet->setLocale(user);
        AdvancedSet->show();
        QVERIFY(QTest::qWaitForWindowExposed(AdvancedSet));

        auto spin = [](const char *name) { return AdvancedSet->findChild<QSpinBox *>(QLatin1String(name)); };
        auto box = [](const char *name) { return AdvancedSet->findChild<QCheckBox *>(QLatin1String(name)); };
        for (const char *name : {"chSoundTouchTempo", "chSoundTouchPitch", "chSoundTouchRate"}) {
            Click(box(name));
            QVERIFY(box(name)->isChecked());
        }
        QSpinBox *tempo = spin("SpEdtSoundTouchTempo");
        QSpinBox *pitch = spin("SpEdtSoundTouchPitch");
        QSpinBox *rate = spin("SpEdtSoundTouchRate");
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(tempo, Qt::Key_Down);
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(pitch, Qt::Key_Down);
        for (int i = 0; i < 125; ++i)
            QTest::keyClick(rate, Qt::Key_PageUp);
        QCOMPARE(tempo->value(), -5);
        QCOMPARE(pitch->value(), -12);
        QCOMPARE(rate->value(), 1250);

        const QString cmd = Cmd();
        QVERIFY2(cmd.contains(QLatin1String(" -soundtouch( -tempo -5 -pitch -12 -rate 1250 )")), qPrintable(cmd));
        for (const QChar c : cmd)
            QVERIFY2(c.unicode() < 0x80, qPrintable(cmd));
        // Closing stores the numbers the same way: the next showing finds them again.
        AdvancedSet->close();
        QLocale::setDefault(QLocale::c());
        const TIniFile stored(SettingsPath());
        QCOMPARE(stored.ReadString(QStringLiteral("Zolvane"), QStringLiteral("tempo"), QString()), QStringLiteral("-5"));
        QCOMPARE(stored.ReadString(QStringLiteral("Zolvane"), QStringLiteral("rate"), QString()), QStringLiteral("1250"));
    }

    // The extra LAME options saved in an earlier session are in the first command line of the
    // next one, before their dialog was ever shown.
    void savedExtraLameOptionsReachTheFirstCommandLine()
    {
        WriteSettings("[MP3]\r\ntab=1\r\nerrorprotec=1\r\nlowpass_check=1\r\nlowpass=17.5\r\n"
                      "athtype_check=1\r\nathtype=3\r\n");
        StartSession();
        QVERIFY(!OthersLame->isVisible());
        QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet4);
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        const QString cmd = Cmd();
        QVERIFY2(cmd.contains(QLatin1String(" -p")), qPrintable(cmd));
        QVERIFY2(cmd.contains(QLatin1String(" --lowpass 17.5")), qPrintable(cmd));
        QVERIFY2(cmd.contains(QLatin1String(" --athtype 3")), qPrintable(cmd));
    }

    // Text pasted into a filtered edit keeps only what the edit's key filter lets through, the
    // same as typing the same characters does, and nothing the filter refuses reaches the command
    // line.
    void pastingIntoFilteredEditsFollowsTheTypingRule_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("switchName"); // the switch the value follows in the command line
        QTest::addColumn<bool>("sameAsTyping");  // false where the edit rewrites each change
        const QString number = QStringLiteral(".0123456789");
        const QString decibel = QStringLiteral("-.0123456789bd");
        QTest::newRow("silence length") << "AdvancedSet" << "edAppendSilence" << "chAppendSilence" << number << " -e " << true;
        QTest::newRow("start point") << "AdvancedSet" << "edPartialEncStart" << "chPartialEncStart" << number << " -start " << true;
        QTest::newRow("end point") << "AdvancedSet" << "edPartialEncEnd" << "chPartialEncEnd" << number << " -end " << true;
        QTest::newRow("frame rate from") << "AdvancedSet" << "ed1SoundTouchFRC" << "chSoundTouchFRC" << number << " -r " << true;
        QTest::newRow("frame rate to") << "AdvancedSet" << "ed2SoundTouchFRC" << "chSoundTouchFRC" << number << "" << true;
        QTest::newRow("manual gain") << "AdvancedSet" << "edManGain" << "chManGain" << decibel << "" << true;
        QTest::newRow("LFE level") << "AdvancedSet" << "edLFEtoLR" << "chLFEtoLR" << decibel << "" << true;
        QTest::newRow("normalisation") << "AdvancedSet" << "edNormalize" << "chNormalize" << number << "" << false;
        QTest::newRow("delay") << "MainForm" << "edOTADelay" << "chOTADelay" << QStringLiteral("-.0123456789") << " -d " << true;
        QTest::newRow("LAME low-pass") << "OthersLame" << "edFilterLowpass" << "chFilterLowpass" << number << "" << true;
    }
    void pastingIntoFilteredEditsFollowsTheTypingRule()
    {
        QFETCH(QString, window);
        QFETCH(QString, edit);
        QFETCH(QString, box);
        QFETCH(QString, allowed);
        QFETCH(QString, switchName);
        QFETCH(bool, sameAsTyping);
        WriteSettings();
        StartSession();
        TAdvancedSet::MessageHook = [](QWidget *, const QString &, bool) {};
        AddInputs(m_inputs, {"audio/ac3_44k_stereo_96k.ac3"});
        // The manual gain is the alternative to the gain mode.
        if (MainForm->chOTAMode->isChecked())
            Click(MainForm->chOTAMode);
        QWidget *owner = window == "AdvancedSet" ? static_cast<QWidget *>(AdvancedSet)
                         : window == "OthersLame" ? static_cast<QWidget *>(OthersLame)
                                                  : static_cast<QWidget *>(MainForm);
        if (owner != MainForm) {
            owner->show();
            QVERIFY(QTest::qWaitForWindowExposed(owner));
        }
        auto *check = owner->findChild<QCheckBox *>(box);
        auto *field = owner->findChild<QLineEdit *>(edit);
        QVERIFY(check && field);
        if (!check->isChecked())
            Click(check);
        QVERIFY(field->isEnabled());

        auto obeysTheFilter = [&](const QString &text) {
            return std::all_of(text.begin(), text.end(), [&](QChar c) { return allowed.contains(c); })
                   && text.count(QLatin1Char('.')) <= 1;
        };
        for (const QString &clipboard : {QStringLiteral("abc"), QStringLiteral("1a2.3.4x"), QStringLiteral("-7,5 %"),
                                         QStringLiteral("9x")}) {
            TypeOver(field, QStringLiteral("0"));
            TypeOver(field, clipboard);
            const QString typed = field->text();
            TypeOver(field, QStringLiteral("0"));
            PasteOver(field, clipboard);
            if (sameAsTyping)
                QCOMPARE(field->text(), typed);
            QVERIFY2(obeysTheFilter(field->text()), qPrintable(clipboard + " -> " + field->text()));
            const QString cmd = Cmd();
            QVERIFY2(!cmd.contains(QLatin1String("abc")) && !cmd.contains(QLatin1Char(',')), qPrintable(cmd));
            if (!switchName.isEmpty())
                QVERIFY2(cmd.contains(switchName + field->text()), qPrintable(cmd + " / " + field->text()));
        }
        // Digits of other scripts are no digits to the transcoder.
        PasteOver(field, QStringLiteral("\u0665\u0660\u06F5"));
        QVERIFY2(obeysTheFilter(field->text()), qPrintable(field->text()));
        if (owner != MainForm)
            owner->close();
        TAdvancedSet::MessageHook = nullptr;
    }
};

QTEST_MAIN(TestOptionControls)
#include "tst_option_controls.moc"
