// The extra MP3 options dialog, the list-file writer, the mux-file wizard and the splitter
// dialog on the real windows, with the real settings file, job list and splitter program.
#include "ULanguage.h"
#include "DialogSupport.h"
#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "SideToolSupport.h"
#include "UExeBrowser.h"
#include "UFileLstWriter.h"
#include "UKDmuxFile.h"
#include "UKaparto.h"
#include "ULame.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "DosCommand.h"
#include "ZolvaneApp.h"
#include "ModalAnswer.h"

#include <QtTest>
#include <QtWidgets>

using namespace SideTools;

namespace {

QString Fixture(const QString &relative)
{
    return QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + relative;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename T> T *In(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

struct DialogCall {
    FileDialogKind kind;
    QString name;
    QString filter;
    int filterIndex;
};

} // namespace

class TestSideTools : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<DialogCall> m_dialogs;
    QList<QStringList> m_answers; // the file dialogs' answers, in order; empty = cancel
    QList<QPair<QString, bool>> m_messages;
    QStringList m_runnerMessages;

    QString cmd() const
    {
        QTreeWidgetItem *row = MainForm->InputListView->topLevelItem(0);
        return row ? row->text(jcCmd) : QString();
    }
    int rows() const { return MainForm->InputListView->topLevelItemCount(); }
    void clearRows()
    {
        MainForm->InputListView->clear();
        MainForm->ListDuration = 0;
        MainForm->TotalDuration = 0;
    }
    QString copy(const QString &fixture, const QString &name)
    {
        const QString target = m_dir.filePath(name);
        QFile::remove(target);
        if (!QFile::copy(Fixture(fixture), target))
            qFatal("cannot copy %s", qPrintable(fixture));
        return target;
    }
    static QString settings() { return SettingsFilePath(); }
    // An empty folder of its own under the test's folder, with a trailing slash.
    QString freshFolder(const QString &name)
    {
        QDir(m_dir.filePath(name)).removeRecursively();
        if (!QDir().mkpath(m_dir.filePath(name)))
            qFatal("cannot make %s", qPrintable(name));
        return m_dir.filePath(name) + QLatin1Char('/');
    }
    // Six real mono WAV files in the wizard's channel edits.
    void fillChannels(const QString &folder)
    {
        for (const char *name : {"edLF", "edCenter", "edFR", "edLS", "edRS", "edLFE"}) {
            const QString path = folder + QLatin1String(name) + QStringLiteral(".wav");
            QFile::remove(path);
            if (!QFile::copy(Fixture(QStringLiteral("audio/wav_ffmpeg_8k_mono_list.wav")), path))
                qFatal("cannot copy a channel file");
            In<QLineEdit>(KDMuxFileWizard, name)->setText(path);
        }
    }
    void useRealSplitter()
    {
        const QString splitter = QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kaparto.exe");
        QVERIFY2(QFileInfo::exists(splitter), qPrintable(splitter));
        In<QLineEdit>(ExeBrowse, "edKaparto")->setText(splitter);
        In<QRadioButton>(KapartoForm, "rbSplit")->click();
    }
    // The short MP3 copied to `input`, the splitter dialog shown, and the copy chosen as its input
    // through the file dialog.
    [[nodiscard]] bool chooseShortMp3InSplitter(const QString &input)
    {
        if (!QFile::copy(Fixture(QStringLiteral("tools/short.mp3")), input))
            return false;
        KapartoForm->show();
        m_answers << QStringList{input};
        In<QPushButton>(KapartoForm, "btInput")->click();
        return true;
    }
    void setBreakPoints(const QString &first, const QString &second)
    {
        auto *grid = In<QTableWidget>(KapartoForm, "StringGrid");
        grid->item(1, 0)->setText(first);
        grid->item(2, 0)->setText(second);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(settings());
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && OthersLame && FileListWriter && KDMuxFileWizard && KapartoForm);
        // The English texts, which every start applies first.
        QVERIFY(LoadLanguage(QStringLiteral(":/builtin-lang/English.ini")));
        FileDialogHook = [this](QWidget *, FileDialogKind kind, const QString &name, const QString &filter, int index,
                                const QString &) {
            m_dialogs << DialogCall{kind, name, filter, index};
            return m_answers.isEmpty() ? QStringList() : m_answers.takeFirst();
        };
        MessageHook = [this](QWidget *, const QString &text, bool error) { m_messages << qMakePair(text, error); };
        TMainForm::MessageHook = [](QWidget *, const QString &, bool) {};
        TDosCommand::SetMessageHook([this](const QString &, const QString &text) { m_runnerMessages << text; });
    }

    void cleanupTestCase()
    {
        FileDialogHook = nullptr;
        MessageHook = nullptr;
        TMainForm::MessageHook = nullptr;
        TDosCommand::SetMessageHook(nullptr);
        DestroyZolvaneWindows();
    }

    void init()
    {
        m_dialogs.clear();
        m_answers.clear();
        m_messages.clear();
        m_runnerMessages.clear();
    }

    // ---- Extra MP3 options ------------------------------------------------------------------

    void lameSwitchesReachTheMp3Block()
    {
        clearRows();
        auto *row = new QTreeWidgetItem(MainForm->InputListView);
        row->setText(jcInputPath, QStringLiteral("/music/"));
        row->setText(jcFilename, QStringLiteral("film.AC3"));
        row->setText(jcOutputPath, QStringLiteral("/music/"));
        row->setText(jcOutputFilename, QStringLiteral("film.mp3"));
        row->setSelected(true);
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet4);
        MainForm->KDCmdl();
        QVERIFY2(cmd().contains(QLatin1String(" -lame(")), qPrintable(cmd()));

        struct Case {
            const char *box;
            QString switchText;
        };
        auto *sampleFreq = In<QComboBox>(OthersLame, "cbFilterSampleFreq");
        auto *lowpass = In<QLineEdit>(OthersLame, "edFilterLowpass");
        auto *athType = In<QSpinBox>(OthersLame, "SpEdtATHtype");
        QVERIFY(!sampleFreq->isEnabled() && !lowpass->isEnabled() && !athType->isEnabled());
        QCOMPARE(sampleFreq->currentText(), QStringLiteral("44.1"));

        const Case cases[] = {
            {"chStreamsForceByte", QStringLiteral(" -x")},
            {"chStreamsErrorProtec", QStringLiteral(" -p")},
            {"chATHturndown", QStringLiteral(" --noath")},
            {"chATHignorePSY", QStringLiteral(" --athshort")},
            {"chATHignorePSYcompletely", QStringLiteral(" --athonly")},
            {"chATHdifferent", QStringLiteral(" -Y")},
            {"chFilterLowpass", QStringLiteral(" --lowpass 44.1")},
            {"chFilterSampleFreq", QStringLiteral(" --resample 44.1")},
            {"chATHtype", QStringLiteral(" --athtype 0")},
        };
        for (const Case &c : cases) {
            auto *box = In<QCheckBox>(OthersLame, c.box);
            QVERIFY2(!cmd().contains(c.switchText), c.box);
            box->setChecked(true); // the handler rebuilds the command line
            QVERIFY2(cmd().contains(c.switchText), qPrintable(QString::fromLatin1(c.box) + QLatin1Char(' ') + cmd()));
            box->setChecked(false);
            QVERIFY2(!cmd().contains(c.switchText), c.box);
        }

        // The boxes enable their controls, and the controls' values reach the block.
        In<QCheckBox>(OthersLame, "chFilterSampleFreq")->setChecked(true);
        QVERIFY(sampleFreq->isEnabled() && In<QLabel>(OthersLame, "lbFilterSampleFreq")->isEnabled());
        sampleFreq->setCurrentIndex(0);
        emit sampleFreq->activated(0);
        QVERIFY2(cmd().contains(QLatin1String(" --resample 8")), qPrintable(cmd()));
        In<QCheckBox>(OthersLame, "chATHtype")->setChecked(true);
        QVERIFY(athType->isEnabled());
        athType->setValue(3);
        QVERIFY2(cmd().contains(QLatin1String(" --athtype 3")), qPrintable(cmd()));
        In<QCheckBox>(OthersLame, "chFilterLowpass")->setChecked(true);
        lowpass->setFocus();
        lowpass->clear();
        QTest::keyClicks(lowpass, QStringLiteral("1a6.5.k"));
        QCOMPARE(lowpass->text(), QStringLiteral("16.5")); // letters and a second point are refused
        QVERIFY2(cmd().contains(QLatin1String(" --lowpass 16.5")), qPrintable(cmd()));
        for (const char *name : {"chFilterSampleFreq", "chATHtype", "chFilterLowpass"})
            In<QCheckBox>(OthersLame, name)->setChecked(false);
        QVERIFY(!sampleFreq->isEnabled() && !athType->isEnabled() && !lowpass->isEnabled());
        sampleFreq->setCurrentIndex(7);
        lowpass->setText(QStringLiteral("44.1"));
        athType->setValue(0);
    }

    void athTurnDownAndIgnorePsyCompletelyExcludeEachOther()
    {
        auto *turndown = In<QCheckBox>(OthersLame, "chATHturndown");
        auto *completely = In<QCheckBox>(OthersLame, "chATHignorePSYcompletely");
        turndown->setChecked(true);
        completely->setChecked(true);
        QVERIFY(!turndown->isChecked());
        turndown->setChecked(true);
        QVERIFY(!completely->isChecked());
        turndown->setChecked(false);
        QVERIFY(!turndown->isChecked() && !completely->isChecked());
    }

    void lameKeysPersistOnlyWithASettingsFile()
    {
        QFile::remove(settings());
        auto *forceByte = In<QCheckBox>(OthersLame, "chStreamsForceByte");
        forceByte->setChecked(true);
        OthersLame->done(QDialog::Accepted);
        QVERIFY(!QFileInfo::exists(settings())); // nothing written without the file
        forceByte->setChecked(false);

        {
            QFile f(settings());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Zolvane]\r\nLanguage=English\r\n");
        }
        In<QCheckBox>(OthersLame, "chFilterSampleFreq")->setChecked(true);
        In<QComboBox>(OthersLame, "cbFilterSampleFreq")->setCurrentIndex(3);
        In<QLineEdit>(OthersLame, "edFilterLowpass")->setText(QStringLiteral("18.5"));
        In<QCheckBox>(OthersLame, "chATHtype")->setChecked(true);
        In<QSpinBox>(OthersLame, "SpEdtATHtype")->setValue(4);
        In<QCheckBox>(OthersLame, "chATHdifferent")->setChecked(true);
        OthersLame->done(QDialog::Accepted);

        TIniFile ini(settings());
        const QString mp3 = QStringLiteral("MP3");
        const QStringList expectedOrder = {"samplefreq_check", "samplefreq", "lowpass_check", "lowpass", "forcebyte",
                                           "errorprotec", "turndown", "ignorePSY", "ignorePSYcomp", "athdiff",
                                           "athtype_check", "athtype"};
        QCOMPARE(ini.ReadSection(mp3), expectedOrder);
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("samplefreq_check"), QString()), QStringLiteral("1"));
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("samplefreq"), QString()), QStringLiteral("3"));
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("lowpass"), QString()), QStringLiteral("18.5"));
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("forcebyte"), QString()), QStringLiteral("0"));
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("athdiff"), QString()), QStringLiteral("1"));
        QCOMPARE(ini.ReadString(mp3, QStringLiteral("athtype"), QString()), QStringLiteral("4"));

        // Loading: 0 unticks, 1 ticks, another value leaves the box; index 0 selects "8".
        ini.WriteInteger(mp3, QStringLiteral("samplefreq"), 0);
        ini.WriteInteger(mp3, QStringLiteral("samplefreq_check"), 0);
        ini.WriteInteger(mp3, QStringLiteral("athdiff"), 7);
        ini.WriteInteger(mp3, QStringLiteral("errorprotec"), 1);
        ini.WriteString(mp3, QStringLiteral("lowpass"), QStringLiteral("12"));
        ini.WriteString(mp3, QStringLiteral("athtype"), QStringLiteral("2"));
        OthersLame->FormShow();
        QVERIFY(!In<QCheckBox>(OthersLame, "chFilterSampleFreq")->isChecked());
        QVERIFY(!In<QComboBox>(OthersLame, "cbFilterSampleFreq")->isEnabled()); // its handler ran
        QCOMPARE(In<QComboBox>(OthersLame, "cbFilterSampleFreq")->currentText(), QStringLiteral("8"));
        QVERIFY(In<QCheckBox>(OthersLame, "chATHdifferent")->isChecked());
        QVERIFY(In<QCheckBox>(OthersLame, "chStreamsErrorProtec")->isChecked());
        QCOMPARE(In<QLineEdit>(OthersLame, "edFilterLowpass")->text(), QStringLiteral("12"));
        QCOMPARE(In<QSpinBox>(OthersLame, "SpEdtATHtype")->value(), 2);

        for (const char *name : {"chATHtype", "chATHdifferent", "chStreamsErrorProtec"})
            In<QCheckBox>(OthersLame, name)->setChecked(false);
        QFile::remove(settings());
    }

    // Closing the dialog when its options cannot be stored says so with the file's path.
    void lameOptionsThatCannotBeStoredAreTold()
    {
        QFile::remove(settings());
        // A folder in the file's place: there is a settings file, and it cannot be replaced.
        QVERIFY(QDir().mkdir(settings()));
        In<QCheckBox>(OthersLame, "chStreamsForceByte")->setChecked(true);
        OthersLame->done(QDialog::Accepted);
        In<QCheckBox>(OthersLame, "chStreamsForceByte")->setChecked(false);
        QVERIFY(QDir().rmdir(settings()));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QVERIFY2(m_messages.first().first.startsWith(QStringLiteral("Unable to write to ") + settings()),
                 qPrintable(m_messages.first().first));
    }

    // ---- List-file writer -------------------------------------------------------------------

    void listFileIsWrittenByteForByteAndLoaded()
    {
        clearRows();
        const QString a = copy(QStringLiteral("audio/ac3_44k_stereo_96k.ac3"), QStringLiteral("one.ac3"));
        const QString b = copy(QStringLiteral("audio/mp3_cbr128_stereo.mp3"), QStringLiteral("two.mp3"));
        const QString c = copy(QStringLiteral("audio/wav_sox_8k_stereo_s16.wav"), QStringLiteral("three.wav"));
        auto *list = In<QListWidget>(FileListWriter, "FileList");
        list->clear();
        FileListWriter->show();

        m_answers << QStringList{a, b, c};
        FileListWriter->btLstAddClick();
        QCOMPARE(m_dialogs.first().filter, QStringLiteral("All Files supported (*.*)|*.ac3;*.ogg;*.mpa;*.mp2;*.mp3;*.wav"));
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QLatin1Char('"') + a + QLatin1Char('"'));

        const QString target = m_dir.filePath(QStringLiteral("set.lst"));
        m_answers << QStringList{m_dir.filePath(QStringLiteral("set"))}; // the default extension follows
        In<QCheckBox>(FileListWriter, "chkLst")->setChecked(true);
        MainForm->bbStartProcess->setEnabled(false);
        FileListWriter->btLstSaveClick();
        QCOMPARE(m_dialogs.last().kind, FileDialogKind::SaveConfirmOverwrite);
        QCOMPARE(m_dialogs.last().filter, LanguageStrings.OpenDialog_LST + QStringLiteral(" (*.lst)|*.lst"));
        const QByteArray expected = '"' + a.toLocal8Bit() + "\"\r\n\"" + b.toLocal8Bit() + "\"\r\n\"" + c.toLocal8Bit()
                                    + "\"\r\n\r\n";
        QCOMPARE(ReadAll(target), expected);
        QCOMPARE(In<QLineEdit>(FileListWriter, "Edit1")->text(), target);
        QCOMPARE(rows(), 3); // loaded by Save, as the box is ticked
        QVERIFY(MainForm->bbStartProcess->isEnabled());
        const double sum = TMainForm::RowSeconds(MainForm->InputListView->topLevelItem(0))
                           + TMainForm::RowSeconds(MainForm->InputListView->topLevelItem(1))
                           + TMainForm::RowSeconds(MainForm->InputListView->topLevelItem(2));
        QVERIFY(qAbs(MainForm->TotalDuration - sum) < 1e-6);

        // Ok does not load the list Save has just loaded, and the total is not counted twice.
        FileListWriter->btOkClick();
        QCOMPARE(rows(), 3);
        QVERIFY(qAbs(MainForm->TotalDuration - sum) < 1e-6);
        QVERIFY(!FileListWriter->isVisible());
        In<QCheckBox>(FileListWriter, "chkLst")->setChecked(false);
    }

    // Ok with a list not yet saved: a cancelled name or a write that fails leaves the writer open
    // with its list, so nothing composed is lost; a good name then saves and loads it.
    void listOkKeepsTheListWhenNothingWasSaved_data()
    {
        QTest::addColumn<QString>("how"); // "cancel" or "fail"
        QTest::newRow("name cancelled") << "cancel";
        QTest::newRow("write fails") << "fail";
    }
    void listOkKeepsTheListWhenNothingWasSaved()
    {
        QFETCH(QString, how);
        clearRows();
        const QString folder = freshFolder(QStringLiteral("ok_") + how);
        const QString a = copy(QStringLiteral("audio/ogg_22k_mono.ogg"), QStringLiteral("kept.ogg"));
        auto *list = In<QListWidget>(FileListWriter, "FileList");
        list->clear();
        FileListWriter->show();
        m_answers << QStringList{a};
        In<QPushButton>(FileListWriter, "btLstAdd")->click();
        QCOMPARE(list->count(), 1);

        // A file is in the way of the folder, so nothing can be written below it.
        const QString blocked = folder + QStringLiteral("file");
        QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
        m_answers << (how == QLatin1String("cancel") ? QStringList() : QStringList{blocked + QStringLiteral("/x.lst")});
        In<QPushButton>(FileListWriter, "btOk")->click();
        QVERIFY(FileListWriter->isVisible());
        QCOMPARE(list->count(), 1);
        QCOMPARE(rows(), 0);
        if (how == QLatin1String("fail")) {
            QCOMPARE(m_messages.size(), 1);
            QCOMPARE(m_messages.first().first, LanguageStrings.LSTSavingWarning);
        } else {
            QVERIFY(m_messages.isEmpty());
        }

        const QString target = folder + QStringLiteral("good.lst");
        m_answers << QStringList{target};
        In<QPushButton>(FileListWriter, "btOk")->click();
        QVERIFY(!FileListWriter->isVisible());
        QCOMPARE(ReadAll(target), '"' + a.toLocal8Bit() + "\"\r\n\r\n");
        QCOMPARE(rows(), 1);
    }

    void listOkSavesTheListOfItsOwnShowing()
    {
        clearRows();
        const QString a = copy(QStringLiteral("audio/ogg_22k_mono.ogg"), QStringLiteral("four.ogg"));
        auto *list = In<QListWidget>(FileListWriter, "FileList");
        list->clear();
        FileListWriter->show();
        m_answers << QStringList{a};
        FileListWriter->btLstAddClick();
        const QString target = m_dir.filePath(QStringLiteral("second.lst"));
        m_answers << QStringList{target};
        FileListWriter->btOkClick(); // nothing saved in this showing: Save runs first
        QCOMPARE(ReadAll(target), '"' + a.toLocal8Bit() + "\"\r\n\r\n");
        QCOMPARE(rows(), 1);
        QCOMPARE(MainForm->InputListView->topLevelItem(0)->text(jcFilename), QStringLiteral("four.ogg"));

        // An empty list is never written and Ok with nothing saved loads nothing.
        clearRows();
        list->clear();
        FileListWriter->show();
        m_dialogs.clear();
        FileListWriter->btOkClick();
        QVERIFY(m_dialogs.isEmpty());
        QCOMPARE(rows(), 0);

        // A write that fails keeps the former path and says so.
        list->clear();
        FileListWriter->show();
        list->addItem(QStringLiteral("\"/x.wav\""));
        m_answers << QStringList{m_dir.filePath(QStringLiteral("no/such/folder/x.lst"))};
        FileListWriter->btLstSaveClick();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QCOMPARE(m_messages.first().first, LanguageStrings.LSTSavingWarning);
        QCOMPARE(In<QLineEdit>(FileListWriter, "Edit1")->text(), target);
        FileListWriter->hide();
    }

    void listEditingKeepsASensibleSelection()
    {
        auto *list = In<QListWidget>(FileListWriter, "FileList");
        auto fill = [&] {
            list->clear();
            list->addItems({"\"a\"", "\"b\"", "\"c\""});
        };
        auto texts = [&] {
            QStringList t;
            for (int i = 0; i < list->count(); ++i)
                t << list->item(i)->text();
            return t.join(QLatin1Char(','));
        };
        fill();
        list->setCurrentRow(2);
        FileListWriter->btLstDeleteClick();
        QCOMPARE(texts(), QStringLiteral("\"a\",\"b\""));
        QCOMPARE(list->currentRow(), 1);
        list->setCurrentRow(0);
        FileListWriter->btLstDeleteClick();
        QCOMPARE(list->currentRow(), 0);
        FileListWriter->btLstDeleteClick();
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->currentRow(), -1);

        fill();
        list->setCurrentRow(0);
        FileListWriter->btLstUpClick();
        QCOMPARE(texts(), QStringLiteral("\"a\",\"b\",\"c\""));
        list->setCurrentRow(2);
        FileListWriter->btLstDownClick();
        QCOMPARE(texts(), QStringLiteral("\"a\",\"b\",\"c\""));
        FileListWriter->btLstUpClick();
        QCOMPARE(texts(), QStringLiteral("\"a\",\"c\",\"b\""));
        QCOMPARE(list->currentRow(), 1);
        list->setCurrentRow(0);
        FileListWriter->btLstDownClick();
        QCOMPARE(texts(), QStringLiteral("\"c\",\"a\",\"b\""));
        QCOMPARE(list->currentRow(), 1);
        list->clear();
    }

    // ---- Mux-file wizard --------------------------------------------------------------------

    void muxFileListsTheChannelsInTheFormatsOrder_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("order");
        QTest::newRow("AAC") << "AAC" << "FL,FR,C,LFE,SL,SR";
        QTest::newRow("AC3") << "AC3" << "FL,C,FR,SL,SR,LFE";
        QTest::newRow("VORBIS") << "VORBIS" << "FL,C,FR,SL,SR,LFE";
        QTest::newRow("WAV") << "WAV" << "FL,FR,C,LFE,SL,SR";
    }

    void muxFileListsTheChannelsInTheFormatsOrder()
    {
        QFETCH(QString, format);
        QFETCH(QString, order);
        const QString mono = Fixture(QStringLiteral("audio/wav_ffmpeg_8k_mono_list.wav"));
        const QMap<QString, QString> files = {{"FL", "FL.wav"}, {"FR", "FR.wav"}, {"C", "C.wav"},
                                              {"LFE", "LFE.wav"}, {"SL", "SL.wav"}, {"SR", "SR.wav"}};
        QMap<QString, QString> paths;
        for (auto it = files.begin(); it != files.end(); ++it)
            paths[it.key()] = copy(QStringLiteral("audio/wav_ffmpeg_8k_mono_list.wav"), it.value());
        Q_UNUSED(mono);
        auto *w = KDMuxFileWizard;
        // Pick each channel by its button.
        const QList<QPair<const char *, QString>> buttons = {{"btnLF", "FL"}, {"btnCenter", "C"}, {"btnFR", "FR"},
                                                             {"btnLFE", "LFE"}, {"btnSL", "SL"}, {"btnRS", "SR"}};
        for (const auto &b : buttons) {
            m_answers << QStringList{paths[b.second]};
            In<QPushButton>(w, b.first)->click();
        }
        QCOMPARE(m_dialogs.first().filter, QStringLiteral("WAV Files (*.wav)|*.wav"));
        QCOMPARE(In<QLineEdit>(w, "edLS")->text(), paths["SL"]);

        In<QComboBox>(w, "cbOutputFormat")->setCurrentText(format);
        const QString target = m_dir.filePath(QStringLiteral("five_") + format);
        m_answers << QStringList{target};
        In<QPushButton>(w, "btnSave")->click();
        QCOMPARE(m_dialogs.last().filter, QStringLiteral("MUX Files (*.mux)|*.mux"));
        QCOMPARE(In<QLineEdit>(w, "edSave")->text(), target + QStringLiteral(".mux"));

        clearRows();
        In<QCheckBox>(w, "CheckBox1")->setChecked(true);
        MainForm->bbStartProcess->setEnabled(false);
        w->show();
        In<QPushButton>(w, "btnOk")->click();
        QByteArray expected;
        for (const QString &channel : order.split(QLatin1Char(',')))
            expected += '"' + paths[channel].toLocal8Bit() + "\"\r\n";
        QCOMPARE(ReadAll(target + QStringLiteral(".mux")), expected);
        QCOMPARE(rows(), 1);
        QVERIFY(MainForm->bbStartProcess->isEnabled());
        const double seconds = TMainForm::RowSeconds(MainForm->InputListView->topLevelItem(0));
        QVERIFY(seconds > 0);
        QVERIFY(qAbs(MainForm->TotalDuration - seconds) < 1e-6); // counted once
        QVERIFY(!w->isVisible());
        In<QCheckBox>(w, "CheckBox1")->setChecked(false);
    }

    void muxSaveAsNeedsAllChannelsAndAppendsTheExtension()
    {
        auto *w = KDMuxFileWizard;
        for (const char *name : {"edLF", "edCenter", "edFR", "edLS", "edRS", "edLFE", "edSave"})
            In<QLineEdit>(w, name)->clear();
        for (const char *name : {"edLF", "edCenter", "edFR", "edLS", "edRS"})
            In<QLineEdit>(w, name)->setText(QStringLiteral("/a/") + QLatin1String(name) + QStringLiteral(".wav"));
        w->btnSaveClick();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first(), qMakePair(QStringLiteral("Some Channels Files are missing."), false));
        QVERIFY(m_dialogs.isEmpty());

        In<QLineEdit>(w, "edLFE")->setText(QStringLiteral("/a/lfe.wav"));
        // ".mux" is appended to a name without it, and only then.
        const QString target = m_dir.filePath(QStringLiteral("again.mux"));
        m_answers << QStringList{target};
        w->btnSaveClick();
        QCOMPARE(In<QLineEdit>(w, "edSave")->text(), target);
        m_answers << QStringList{m_dir.filePath(QStringLiteral("again.v2"))};
        w->btnSaveClick();
        QCOMPARE(In<QLineEdit>(w, "edSave")->text(), m_dir.filePath(QStringLiteral("again.v2.mux")));
        m_answers << QStringList();
        w->btnSaveClick(); // cancelled: the name stays
        QCOMPARE(In<QLineEdit>(w, "edSave")->text(), m_dir.filePath(QStringLiteral("again.v2.mux")));

        // Ok without a name reports the missing name and keeps the wizard open.
        m_messages.clear();
        In<QLineEdit>(w, "edSave")->clear();
        w->show();
        w->btnOkClick();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QVERIFY(w->isVisible());
        w->hide();
    }

    // ---- Splitter ---------------------------------------------------------------------------

    void splitterCommandLine_data()
    {
        QTest::addColumn<QString>("splitter");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("split");
        QTest::addColumn<QStringList>("points");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("ac3 with two points")
            << "/t/Kaparto.exe" << "D:\\a\\film.ac3" << "D:\\a\\film_" << true << QStringList{"0", "600"}
            << QByteArray("\"/t/Kaparto.exe\" -core( -input \"D:\\a\\film.ac3\" -prefix \"D:\\a\\film_\" -type ac3 )"
                          " -split( 0 600 )");
        QTest::newRow("no splitter path") << "" << "/a/x.MP3" << "/a/x_" << true << QStringList{"12.5", ""}
                                          << QByteArray("\"Kaparto.exe\" -core( -input \"/a/x.MP3\" -prefix \"/a/x_\""
                                                        " -type mp3 ) -split( 12.5 )");
        QTest::newRow("empty input") << "/t/K" << "" << "/a/x_" << true << QStringList{"0", "5"}
                                     << QByteArray("\"/t/K\"( \"\" \"\" ) -split( 0 5 )");
        QTest::newRow("both cells empty") << "/t/K" << "/a/x.ogg" << "/a/x_" << true << QStringList{"", ""}
                                          << QByteArray("\"/t/K\" -core( -input \"/a/x.ogg\" -prefix \"/a/x_\" -type ogg )"
                                                        " -split( )");
        QTest::newRow("other extension is wav") << "/t/K" << "/a/x.mpa" << "/a/x_" << true << QStringList{"1"}
                                                << QByteArray("\"/t/K\" -core( -input \"/a/x.mpa\" -prefix \"/a/x_\""
                                                              " -type wav ) -split( 1 )");
        QTest::newRow("fix mode has no split block")
            << "/t/K" << "/a/x.aac" << "/a/x_" << false << QStringList{"0", "5"}
            << QByteArray("\"/t/K\" -core( -input \"/a/x.aac\" -prefix \"/a/x_\" -type aac )");
        QTest::newRow("decimal comma written with a point")
            << "/t/K" << "/a/x.mp3" << "/a/x_" << true << QStringList{"3,5", " 12,25 "}
            << QByteArray("\"/t/K\" -core( -input \"/a/x.mp3\" -prefix \"/a/x_\" -type mp3 ) -split( 3.5 12.25 )");
        QTest::newRow("mp2") << "/t/K" << "/a/x.mp2" << "/a/x_" << true << QStringList{}
                             << QByteArray("\"/t/K\" -core( -input \"/a/x.mp2\" -prefix \"/a/x_\" -type mp2 ) -split( )");
    }

    void splitterCommandLine()
    {
        QFETCH(QString, splitter);
        QFETCH(QString, input);
        QFETCH(QString, prefix);
        QFETCH(bool, split);
        QFETCH(QStringList, points);
        QFETCH(QByteArray, expected);
        QCOMPARE(SplitterCommandLine(splitter, input, prefix, split, points), expected);
    }

    void splitterDialogProbesAndSplitsThroughTheRealSplitter()
    {
        const QString splitter = QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kaparto.exe");
        QVERIFY2(QFileInfo::exists(splitter), qPrintable(splitter));
        In<QLineEdit>(ExeBrowse, "edKaparto")->setText(splitter);
        auto *f = KapartoForm;
        QVERIFY(!In<QPushButton>(f, "btSplit")->isEnabled());
        QCOMPARE(In<QTableWidget>(f, "StringGrid")->item(1, 0)->text(), QStringLiteral("0"));

        // A 5-channel AC-3 shows 6 channels; the prefix is proposed beside the input.
        const QString input = copy(QStringLiteral("audio/ac3_48k_5ch1_384k.ac3"), QStringLiteral("film.ac3"));
        m_answers << QStringList{input};
        In<QPushButton>(f, "btInput")->click();
        QCOMPARE(m_dialogs.last().filterIndex, 6);
        QCOMPARE(In<QLineEdit>(f, "edOutput")->text(), m_dir.filePath(QStringLiteral("film_")));
        QCOMPARE(In<QLabel>(f, "ChanVal")->text(), QStringLiteral("6"));
        QCOMPARE(In<QLabel>(f, "BitrateVal")->text(), QStringLiteral("384 kbps"));
        QCOMPARE(In<QLabel>(f, "SampleVal")->text(), QStringLiteral("48000 hz"));
        QVERIFY(In<QPushButton>(f, "btSplit")->isEnabled());
        QVERIFY(QString::fromLocal8Bit(KapartoCmdLine).contains(QLatin1String(" -type ac3 ) -split( 0 )")));

        // An input its reader refuses leaves the labels as they were.
        const QString bogus = m_dir.filePath(QStringLiteral("bogus.ac3"));
        {
            QFile b(bogus);
            QVERIFY(b.open(QIODevice::WriteOnly));
            b.write(QByteArray(300, 'x'));
        }
        f->AudioFileInfo(bogus);
        QCOMPARE(In<QLabel>(f, "ChanVal")->text(), QStringLiteral("6"));

        // A PCM input cut at two break points by the real splitter.
        const QString wav = copy(QStringLiteral("audio/wav_sox_8k_stereo_s16.wav"), QStringLiteral("talk.wav"));
        m_answers << QStringList{wav};
        In<QPushButton>(f, "btInput")->click();
        QCOMPARE(In<QLabel>(f, "SampleVal")->text(), QStringLiteral("8000 hz"));
        QCOMPARE(In<QLabel>(f, "BitrateVal")->text(), QStringLiteral("256 kbps"));
        auto *grid = In<QTableWidget>(f, "StringGrid");
        // Typing into a cell: only digits and points are taken; committing rebuilds the line.
        f->show();
        grid->setCurrentCell(2, 0);
        grid->editItem(grid->item(2, 0));
        auto *editor = grid->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("0x.0:5"));
        QCOMPARE(editor->text(), QStringLiteral("0.05"));
        emit grid->itemDelegate()->commitData(editor);
        QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("0.05"));
        QCOMPARE(In<QPlainTextEdit>(f, "Memo2")->toPlainText(), QString::fromLocal8Bit(KapartoCmdLine));
        QCOMPARE(KapartoCmdLine, '"' + splitter.toLocal8Bit() + "\" -core( -input \"" + wav.toLocal8Bit()
                                     + "\" -prefix \"" + m_dir.filePath(QStringLiteral("talk_")).toLocal8Bit()
                                     + "\" -type wav ) -split( 0 0.05 )");
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f->DosCommand()->IsRunning() && f->DosCommand()->EndStatus() >= 7, 20000);
        QCOMPARE(f->DosCommand()->ExitCode(), 0u);
        const QByteArray first = ReadAll(m_dir.filePath(QStringLiteral("talk_01.wav")));
        const QByteArray second = ReadAll(m_dir.filePath(QStringLiteral("talk_02.wav")));
        QVERIFY(first.startsWith("RIFF") && second.startsWith("RIFF"));
        // 0.05 s of 8 kHz stereo 16-bit is 1600 bytes of samples.
        const qint64 original = QFileInfo(wav).size();
        QVERIFY2(first.size() > 1600 && first.size() < 1600 + 200, QByteArray::number(first.size()));
        QVERIFY(second.size() < original);

        // Fix mode rewrites the whole input as one piece.
        In<QRadioButton>(f, "rbFix")->click();
        QCOMPARE(In<QPushButton>(f, "btSplit")->text(), QStringLiteral("&Fix"));
        QVERIFY(In<QCheckBox>(f, "chFixLength")->isEnabled() && !In<QCheckBox>(f, "chSkip")->isEnabled());
        In<QLineEdit>(f, "edOutput")->setText(m_dir.filePath(QStringLiteral("fixed_")));
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f->DosCommand()->IsRunning() && f->DosCommand()->EndStatus() >= 7, 20000);
        QCOMPARE(f->DosCommand()->ExitCode(), 0u);
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("fixed_01.wav"))));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("fixed_02.wav"))));
        In<QRadioButton>(f, "rbSplit")->click();
        QCOMPARE(In<QPushButton>(f, "btSplit")->text(), QStringLiteral("&Split"));

        QVERIFY(m_runnerMessages.isEmpty());

        // An input emptied by hand joins the program's name to the empty pair: no such program
        // starts, and the runner reports it.
        In<QLineEdit>(f, "edInput")->clear();
        In<QPushButton>(f, "btSplit")->click();
        QVERIFY(KapartoCmdLine.startsWith('"' + splitter.toLocal8Bit() + "\"( \"\" \"\" )"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_runnerMessages.isEmpty(), 20000);
        QCOMPARE(f->DosCommand()->EndStatus(), quint8(5));
    }

    // ---- Files that are not overwritten unasked, names that survive, channels checked -------

    // The list writer and the mux wizard, each driven through its real save dialog with a name
    // typed without its extension: the question is about the file that is written.
    void saveDialogsAskAboutTheFileTheyWrite_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("written");
        QTest::newRow("list writer") << "lst" << "keep.lst";
        QTest::newRow("mux wizard") << "mux" << "keep.mux";
    }

    void saveDialogsAskAboutTheFileTheyWrite()
    {
        QFETCH(QString, tool);
        QFETCH(QString, written);
        const QString folder = freshFolder(QStringLiteral("ask_") + tool);
        const QString keep = folder + written;
        QFile old(keep);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier file\r\n");
        old.close();

        QPushButton *save = nullptr;
        if (tool == QLatin1String("lst")) {
            auto *list = In<QListWidget>(FileListWriter, "FileList");
            list->clear();
            list->addItem(QLatin1Char('"') + copy(QStringLiteral("audio/ogg_22k_mono.ogg"), QStringLiteral("k.ogg"))
                          + QLatin1Char('"'));
            In<QCheckBox>(FileListWriter, "chkLst")->setChecked(false);
            FileListWriter->show();
            save = In<QPushButton>(FileListWriter, "btLstSave");
        } else {
            fillChannels(folder);
            KDMuxFileWizard->show();
            save = In<QPushButton>(KDMuxFileWizard, "btnSave");
        }

        // The real dialogs: "keep" is typed, the question answered No, the dialog cancelled.
        const FileDialogFunction hook = FileDialogHook;
        FileDialogHook = nullptr;
        // Each answer is set up when the window before it has been answered.
        QString question;
        std::unique_ptr<ModalAnswer> type, answer, cancel;
        auto answerQuestion = [&](QMessageBox::StandardButton button, std::function<void()> then) {
            answer.reset(new ModalAnswer([&question, button, then](QWidget *w) {
                auto *box = qobject_cast<QMessageBox *>(w);
                QVERIFY(box);
                question = box->text();
                box->button(button)->click();
                if (then)
                    then();
            }));
        };
        // The dialog shown again after No is the same window: it is typed into only once.
        int typed = 0;
        type.reset(new ModalAnswer([&](QWidget *w) {
            if (typed++)
                return;
            answerQuestion(QMessageBox::No, [&] { cancel.reset(CancelFileDialog()); });
            TypeFileName(w, folder + QStringLiteral("keep"));
        }));
        save->click();
        QVERIFY2(question.contains(keep), qPrintable(question));
        QVERIFY(cancel && cancel->Seen == 1);
        QCOMPARE(ReadAll(keep), QByteArray("earlier file\r\n"));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("keep")));

        // Yes replaces it.
        question.clear();
        typed = 0;
        type.reset(new ModalAnswer([&](QWidget *w) {
            if (typed++)
                return;
            answerQuestion(QMessageBox::Yes, nullptr);
            TypeFileName(w, folder + QStringLiteral("keep"));
        }));
        save->click();
        FileDialogHook = hook;
        QVERIFY2(question.contains(keep), qPrintable(question));
        if (tool == QLatin1String("lst")) {
            QVERIFY(ReadAll(keep).endsWith("k.ogg\"\r\n\r\n"));
            FileListWriter->hide();
        } else {
            QCOMPARE(In<QLineEdit>(KDMuxFileWizard, "edSave")->text(), keep);
            KDMuxFileWizard->btnOkClick();
            QCOMPARE(ReadAll(keep).count('\n'), 6);
        }
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("keep")));
        QVERIFY(!QFileInfo::exists(keep + QLatin1Char('.') + tool));
    }

    // A mux file name typed into the wizard's edit, not chosen through Save as.
    void muxOkAsksBeforeReplacingATypedName()
    {
        const QString folder = freshFolder(QStringLiteral("typed"));
        const QString target = folder + QStringLiteral("typed.mux");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier file\r\n");
        old.close();
        auto *w = KDMuxFileWizard;
        w->hide();
        w->show();
        fillChannels(folder);
        auto *save = In<QLineEdit>(w, "edSave");
        save->clear();
        QTest::keyClicks(save, target);

        QString question;
        auto answer = [&question](QMessageBox::StandardButton button) {
            return new ModalAnswer([&question, button](QWidget *m) {
                auto *box = qobject_cast<QMessageBox *>(m);
                QVERIFY(box);
                question = box->text();
                box->button(button)->click();
            });
        };
        std::unique_ptr<ModalAnswer> no(answer(QMessageBox::No));
        In<QPushButton>(w, "btnOk")->click();
        QVERIFY2(question.contains(target), qPrintable(question));
        QCOMPARE(ReadAll(target), QByteArray("earlier file\r\n"));
        QVERIFY(w->isVisible());

        question.clear();
        std::unique_ptr<ModalAnswer> yes(answer(QMessageBox::Yes));
        In<QPushButton>(w, "btnOk")->click();
        QVERIFY2(question.contains(target), qPrintable(question));
        QCOMPARE(ReadAll(target).count('\n'), 6);
        QVERIFY(!w->isVisible());
    }

    // A mux file name that is one of its own channel files (typed, or through another spelling of
    // the path) is refused before any question: the channel file stays as it was.
    void muxOkNeverWritesOverAChannelFile_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("spelling"); // "same" or "dotted"
        QTest::newRow("front left as typed") << "edLF" << "same";
        QTest::newRow("LFE through ./") << "edLFE" << "dotted";
    }
    void muxOkNeverWritesOverAChannelFile()
    {
        QFETCH(QString, edit);
        QFETCH(QString, spelling);
        const QString folder = freshFolder(QStringLiteral("self_") + edit);
        auto *w = KDMuxFileWizard;
        w->hide();
        w->show();
        fillChannels(folder);
        const QString channel = In<QLineEdit>(w, edit.toLatin1().constData())->text();
        const QByteArray original = ReadAll(channel);
        QString target = channel;
        if (spelling == QLatin1String("dotted"))
            target.insert(target.lastIndexOf(QLatin1Char('/')) + 1, QStringLiteral("./"));
        auto *save = In<QLineEdit>(w, "edSave");
        save->clear();
        QTest::keyClicks(save, target);
        clearRows();
        // A question, if one came, would be answered Yes.
        std::unique_ptr<ModalAnswer> yes(new ModalAnswer([](QWidget *m) {
            if (auto *box = qobject_cast<QMessageBox *>(m))
                box->button(QMessageBox::Yes)->click();
        }));
        In<QPushButton>(w, "btnOk")->click();
        QCOMPARE(yes->Seen, 0);
        QCOMPARE(ReadAll(channel), original);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QVERIFY2(m_messages.first().first.contains(target), qPrintable(m_messages.first().first));
        QVERIFY(w->isVisible());
        QCOMPARE(rows(), 0);
        w->hide();
    }

    // A file whose name holds a double quote: written by the list writer and the mux wizard,
    // loaded back as a job row.
    void quotedNamesSurviveWriterAndLoader()
    {
        const QString folder = freshFolder(QStringLiteral("quotes"));
        const QString ogg = folder + QStringLiteral("say \"hi\".ogg");
        QVERIFY(QFile::copy(Fixture(QStringLiteral("audio/ogg_22k_mono.ogg")), ogg));

        clearRows();
        auto *list = In<QListWidget>(FileListWriter, "FileList");
        list->clear();
        FileListWriter->show();
        m_answers << QStringList{ogg};
        FileListWriter->btLstAddClick();
        m_answers << QStringList{folder + QStringLiteral("quoted")};
        In<QCheckBox>(FileListWriter, "chkLst")->setChecked(true);
        FileListWriter->btLstSaveClick();
        In<QCheckBox>(FileListWriter, "chkLst")->setChecked(false);
        FileListWriter->hide();
        QCOMPARE(ReadAll(folder + QStringLiteral("quoted.lst")),
                 '"' + folder.toLocal8Bit() + "say \"\"hi\"\".ogg\"\r\n\r\n");
        QCOMPARE(rows(), 1);
        QCOMPARE(MainForm->InputListView->topLevelItem(0)->text(jcFilename), QStringLiteral("say \"hi\".ogg"));

        // The mux wizard: the front-left file gives the row its figures.
        clearRows();
        fillChannels(folder);
        const QString left = In<QLineEdit>(KDMuxFileWizard, "edLF")->text();
        const QString quotedLeft = folder + QStringLiteral("front \"left\".wav");
        QVERIFY(QFile::rename(left, quotedLeft));
        In<QLineEdit>(KDMuxFileWizard, "edLF")->setText(quotedLeft);
        In<QLineEdit>(KDMuxFileWizard, "edSave")->setText(folder + QStringLiteral("quoted.mux"));
        In<QCheckBox>(KDMuxFileWizard, "CheckBox1")->setChecked(true);
        KDMuxFileWizard->show();
        In<QPushButton>(KDMuxFileWizard, "btnOk")->click();
        In<QCheckBox>(KDMuxFileWizard, "CheckBox1")->setChecked(false);
        QVERIFY(ReadAll(folder + QStringLiteral("quoted.mux")).startsWith("\"" + folder.toLocal8Bit()
                                                                         + "front \"\"left\"\".wav\"\r\n"));
        QCOMPARE(rows(), 1);
        QVERIFY(TMainForm::RowSeconds(MainForm->InputListView->topLevelItem(0)) > 0);

        // The transcoder reads the same names from the mux file: the job is done.
        QProcess transcoder;
        transcoder.setProcessChannelMode(QProcess::MergedChannels);
        transcoder.start(QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe"),
                         {QStringLiteral("-core("), QStringLiteral("-input"), folder + QStringLiteral("quoted.mux"),
                          QStringLiteral("-output"), folder + QStringLiteral("quoted.wav"), QStringLiteral(")")});
        QVERIFY(transcoder.waitForFinished(30000));
        const QByteArray said = transcoder.readAll();
        QVERIFY2(transcoder.exitStatus() == QProcess::NormalExit && transcoder.exitCode() == 0, said.constData());
        QVERIFY(QFileInfo(folder + QStringLiteral("quoted.wav")).size() > 44);
    }

    void muxWizardNamesTheChannelFileThatIsMissing_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("how"); // "gone", "empty" or "not wav"
        QTest::addColumn<QString>("channel");
        QTest::newRow("front left gone") << "edLF" << "gone" << "Front Left Channel";
        QTest::newRow("right surround gone") << "edRS" << "gone" << "Right Surround Channel";
        QTest::newRow("centre emptied") << "edCenter" << "empty" << "Center Channel";
        QTest::newRow("LFE not a WAV file") << "edLFE" << "not wav" << "LFE Channel";
    }

    void muxWizardNamesTheChannelFileThatIsMissing()
    {
        QFETCH(QString, edit);
        QFETCH(QString, how);
        QFETCH(QString, channel);
        const QString folder = freshFolder(QStringLiteral("channels_") + edit);
        fillChannels(folder);
        auto *e = In<QLineEdit>(KDMuxFileWizard, edit.toLatin1().constData());
        const QString path = e->text();
        if (how == QLatin1String("gone"))
            QVERIFY(QFile::remove(path));
        else if (how == QLatin1String("empty"))
            e->clear();
        else
            e->setText(copy(QStringLiteral("audio/mp3_cbr128_stereo.mp3"), QStringLiteral("lfe_") + edit + ".wav"));
        const QString target = folder + QStringLiteral("five.mux");
        In<QLineEdit>(KDMuxFileWizard, "edSave")->setText(target);
        clearRows();
        KDMuxFileWizard->show();
        In<QPushButton>(KDMuxFileWizard, "btnOk")->click();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QVERIFY2(m_messages.first().first.contains(channel), qPrintable(m_messages.first().first));
        if (how != QLatin1String("empty"))
            QVERIFY2(m_messages.first().first.contains(e->text()), qPrintable(m_messages.first().first));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(KDMuxFileWizard->isVisible());
        QCOMPARE(rows(), 0);
        KDMuxFileWizard->hide();
    }

    // The splitter on a real MP3 named like its first piece.
    void splitterNeverWritesOverItsInputAndSaysSo()
    {
        useRealSplitter();
        const QString folder = freshFolder(QStringLiteral("track"));
        const QString input = folder + QStringLiteral("track_01.mp3");
        QVERIFY(chooseShortMp3InSplitter(input));
        const QByteArray original = ReadAll(input);
        auto *f = KapartoForm;
        QCOMPARE(In<QLineEdit>(f, "edOutput")->text(), folder + QStringLiteral("track_01_"));
        setBreakPoints(QStringLiteral("0"), QStringLiteral("0.2"));

        // The user types the prefix "track_": its first piece would be the input itself.
        auto *output = In<QLineEdit>(f, "edOutput");
        output->clear();
        QTest::keyClicks(output, folder + QStringLiteral("track_"));
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_messages.isEmpty(), 20000);
        QVERIFY(m_messages.last().second);
        QVERIFY2(m_messages.last().first.contains(input), qPrintable(m_messages.last().first));
        const QString memo = In<QPlainTextEdit>(f, "Memo2")->toPlainText();
        QVERIFY2(memo.contains(QLatin1String("Error")) && memo.contains(input), qPrintable(memo));
        QCOMPARE(ReadAll(input), original);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("track_02.mp3")));

        // With the proposed prefix the split is done, and the dialog lists the pieces.
        m_messages.clear();
        m_answers << QStringList{input};
        In<QPushButton>(f, "btInput")->click();
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(In<QPlainTextEdit>(f, "Memo2")->toPlainText().contains(QLatin1String("Done:")), 20000);
        const QString done = In<QPlainTextEdit>(f, "Memo2")->toPlainText();
        QVERIFY2(done.contains(QStringLiteral("Piece 2: \"%1track_01_02.mp3\"").arg(folder)), qPrintable(done));
        QVERIFY2(done.contains(QLatin1String("Done: 2 files written.")), qPrintable(done));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(ReadAll(input), original);
        QVERIFY(QFileInfo(folder + QStringLiteral("track_01_01.mp3")).size() > 0);

        // Choosing the input again proposes a prefix whose pieces do not exist yet.
        m_answers << QStringList{input};
        In<QPushButton>(f, "btInput")->click();
        QCOMPARE(In<QLineEdit>(f, "edOutput")->text(), folder + QStringLiteral("track_01_2_"));
        f->hide();
    }

    // Names holding a double quote or ending in a backslash reach the splitter as they are: the
    // input is split and the pieces carry the prefix as typed.
    void splitterTakesNamesWithQuotesAndBackslashes_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("prefix"); // empty: the one proposed
        QTest::newRow("quote in the input") << "say \"hi\".mp3" << "";
        QTest::newRow("quote and blank in the prefix") << "song.mp3" << "a \" b_";
        QTest::newRow("prefix ending in a backslash") << "song.mp3" << "back\\";
        QTest::newRow("backslash before a quote") << "x\\\"y.mp3" << "";
    }
    void splitterTakesNamesWithQuotesAndBackslashes()
    {
        QFETCH(QString, input);
        QFETCH(QString, prefix);
        useRealSplitter();
        const QString folder = freshFolder(QStringLiteral("names_") + QString::number(qHash(input + prefix)));
        const QString path = folder + input;
        QVERIFY(chooseShortMp3InSplitter(path));
        auto *f = KapartoForm;
        if (!prefix.isEmpty())
            In<QLineEdit>(f, "edOutput")->setText(folder + prefix);
        const QString pieces = In<QLineEdit>(f, "edOutput")->text();
        setBreakPoints(QStringLiteral("0"), QStringLiteral("0.2"));
        In<QPushButton>(f, "btSplit")->click();
        auto *memo = In<QPlainTextEdit>(f, "Memo2");
        QTRY_VERIFY_WITH_TIMEOUT(memo->toPlainText().contains(QLatin1String("Done:"))
                                     || memo->toPlainText().contains(QLatin1String("failed")),
                                 20000);
        QVERIFY2(memo->toPlainText().contains(QLatin1String("Done: 2 files written.")), qPrintable(memo->toPlainText()));
        QVERIFY(m_messages.isEmpty());
        QVERIFY(QFileInfo(pieces + QStringLiteral("01.mp3")).size() > 0);
        QVERIFY(QFileInfo(pieces + QStringLiteral("02.mp3")).size() > 0);
        f->hide();
    }

    void splitterRefusesBreakPointsItCannotCut_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("told");
        // The input lasts about 0.57 s.
        QTest::newRow("beyond the end") << "0" << "5" << "beyond the end";
        QTest::newRow("at the end with a comma") << "0,2" << "0,9" << "beyond the end";
        QTest::newRow("unsorted") << "0.3" << "0.1" << "ascending order";
        QTest::newRow("negative") << "-1" << "" << "\"-1\" is not a time";
        QTest::newRow("text") << "0" << "abc" << "\"abc\" is not a time";
        QTest::newRow("two points") << "0.1.2" << "" << "\"0.1.2\" is not a time";
    }

    void splitterRefusesBreakPointsItCannotCut()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, told);
        useRealSplitter();
        const QString folder = freshFolder(QStringLiteral("points_") + QString::number(qHash(first + second)));
        const QString input = folder + QStringLiteral("song.mp3");
        QVERIFY(chooseShortMp3InSplitter(input));
        auto *f = KapartoForm;
        setBreakPoints(first, second); // as pasted: the key filter is not involved
        In<QPushButton>(f, "btSplit")->click();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().second);
        QVERIFY2(m_messages.first().first.contains(told), qPrintable(m_messages.first().first));
        QVERIFY(In<QPlainTextEdit>(f, "Memo2")->toPlainText().contains(m_messages.first().first));
        QTest::qWait(200);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("song.mp3")});
        f->hide();
    }

    void splitterWritesATypedDecimalCommaAsAPoint()
    {
        useRealSplitter();
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString folder = freshFolder(QStringLiteral("comma"));
        const QString input = folder + QStringLiteral("song.mp3");
        QVERIFY(chooseShortMp3InSplitter(input));
        auto *f = KapartoForm;
        setBreakPoints(QStringLiteral("0"), QString());
        auto *grid = In<QTableWidget>(f, "StringGrid");
        grid->setCurrentCell(2, 0);
        grid->editItem(grid->item(2, 0));
        auto *editor = grid->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("0,25"));
        emit grid->itemDelegate()->commitData(editor);
        QLocale::setDefault(before);
        QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("0,25"));
        QVERIFY2(KapartoCmdLine.endsWith(" -split( 0 0.25 )"), KapartoCmdLine.constData());
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(In<QPlainTextEdit>(f, "Memo2")->toPlainText().contains(QLatin1String("Done:")), 20000);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(QFileInfo(folder + QStringLiteral("song_02.mp3")).size() > 0);
        f->hide();
    }

    // A transcoder chosen in a folder that holds "kaparto.exe": the splitter path names that file,
    // and the splitter dialog runs it.
    void splitterFoundBesideTheTranscoderUnderItsOwnName()
    {
        const QString folder = freshFolder(QStringLiteral("tools"));
        QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kaparto.exe"), folder + QStringLiteral("kaparto.exe")));
        QFile transcoder(folder + QStringLiteral("Kandrum.exe"));
        QVERIFY(transcoder.open(QIODevice::WriteOnly));
        transcoder.close();
        In<QLineEdit>(ExeBrowse, "edKaparto")->clear();
        {
            std::unique_ptr<ModalAnswer> choose(ChooseFile(folder + QStringLiteral("Kandrum.exe")));
            ExeBrowse->btKandrumClick();
            QCOMPARE(choose->Seen, 1);
        }
        QCOMPARE(In<QLineEdit>(ExeBrowse, "edKaparto")->text(), folder + QStringLiteral("kaparto.exe"));

        const QString input = folder + QStringLiteral("song.mp3");
        QVERIFY(chooseShortMp3InSplitter(input));
        auto *f = KapartoForm;
        setBreakPoints(QStringLiteral("0.3"), QString());
        In<QPushButton>(f, "btSplit")->click();
        QTRY_VERIFY_WITH_TIMEOUT(In<QPlainTextEdit>(f, "Memo2")->toPlainText().contains(QLatin1String("Done:")), 20000);
        QVERIFY(m_runnerMessages.isEmpty());
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("song_02.mp3")));
        f->hide();
    }
};

QTEST_MAIN(TestSideTools)
#include "tst_sidetools.moc"
