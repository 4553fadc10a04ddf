// The real main window at a first start, without a settings file: the MP2 page's own defaults run
// through the real batch and the build's transcoder on mono inputs, and the row of a mux file
// tells the rate of its whole 5.1 input.

#include "BatchWindow.h"
#include "JobRow.h"
#include "Layer2File.h"
#include "MainFormControls.h"
#include "ModalAnswer.h"
#include "ToneWav.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UProgress.h"
#include "URessources.h"
#include "ZolvaneApp.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString SettingsFile()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

} // namespace

class TestMp2Mux : public QObject, public BatchWindowTest
{
    Q_OBJECT

    QStringList m_messages;

private slots:
    void initTestCase()
    {
        startInAFolderOfItsOwn();
        // A first start: no settings file beside the program.
        QFile::remove(SettingsFile());
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && ExeBrowse);
        MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };

        // The first showing asks for the transcoder's path; the user names the build's.
        ModalAnswer answer([](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("edKandrum"));
            auto *ok = w->findChild<QPushButton *>(QStringLiteral("btOk"));
            QVERIFY(edit && ok);
            edit->setText(QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe"));
            ok->click();
        });
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QCOMPARE(answer.Seen, 1);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        DestroyZolvaneWindows();
        QFile::remove(SettingsFile());
    }

    void cleanup()
    {
        endTheBatch();
        form()->ClearList2Click();
    }

    // The MP2 page as a first start shows it, each engine: 224 kbit/s in joint stereo. Mono inputs
    // at 8 and 44.1 kHz give MP2 files at that rate, in two channels (a mono stream cannot carry
    // it), the 8 kHz one at 32 kHz (the nearest sample rate that carries it).
    void mp2DefaultsEncodeMonoInputs_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("block");
        QTest::newRow("TooLame") << QStringLiteral("rbMP2TooLame") << QStringLiteral(" -toolame( -m j -b 224 )");
        QTest::newRow("MP2Enc") << QStringLiteral("rbMP2Enc") << QStringLiteral(" -mp2enc( -m j -b 224 )");
    }

    void mp2DefaultsEncodeMonoInputs()
    {
        QFETCH(QString, engine);
        QFETCH(QString, block);
        m_jobs.reset(new QTemporaryDir);
        const QString mono8k = m_jobs->filePath(QStringLiteral("mono 8k.wav"));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/mono1.wav")), mono8k));
        const QString mono44k = m_jobs->filePath(QStringLiteral("mono 44k.wav"));
        QVERIFY(WriteToneWavOf(mono44k, 1000, 44100, 1));

        ClickTab(form()->TabSheet3);
        auto *radio = form()->findChild<QRadioButton *>(engine);
        QVERIFY(radio);
        QTest::mouseClick(radio, Qt::LeftButton);
        QVERIFY(radio->isChecked());
        addFiles({mono8k, mono44k});
        QCOMPARE(list()->topLevelItemCount(), 2);
        for (int i = 0; i < 2; ++i) {
            list()->setCurrentItem(row(i));
            form()->KDCmdl();
            QVERIFY2(row(i)->text(jcCmd).endsWith(block), qPrintable(row(i)->text(jcCmd)));
        }

        m_messages.clear();
        QTest::mouseClick(form()->bbStartProcess, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('|'))));
        const QStringList log = batchLogTexts();
        QVERIFY2(log.filter(QStringLiteral("Error")).isEmpty(), qPrintable(log.join(QLatin1Char('|'))));

        const int sampleRates[] = {32000, 44100};
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(outputOf(i).endsWith(QLatin1String(".mp2")), qPrintable(outputOf(i)));
            const Layer2File f = ReadLayer2File(outputOf(i).toStdString());
            QVERIFY2(f.fault.empty(), qPrintable(outputOf(i) + QStringLiteral(": ") + QString::fromStdString(f.fault)));
            QCOMPARE(f.layer, int(MPEG_LAYER_II));
            QCOMPARE(f.version, int(MPEG_VERSION_1));
            QCOMPARE(f.bitRate, 224);
            QCOMPARE(f.frameRates, std::set<int>{224});
            QCOMPARE(f.channels, 2);
            QCOMPARE(f.sampleRate, sampleRates[i]);
            QVERIFY(f.frames * 1152.0 / f.sampleRate >= (i == 0 ? 0.5 : 1.0));
        }
    }

    // Six mono 48 kHz 16-bit files in a mux file, added by File > Add Files: the row describes
    // the 5.1 input, 6 x 768 kbit/s.
    void muxRowTellsTheRateOfItsWholeInput()
    {
        m_jobs.reset(new QTemporaryDir);
        QByteArray content;
        for (const char *channel : {"FL", "FR", "C", "LFE", "SL", "SR"}) {
            const QString name = m_jobs->filePath(QLatin1String(channel) + QStringLiteral(".wav"));
            QVERIFY(WriteToneWavOf(name, 2000, 48000, 1));
            content += "\"" + name.toLocal8Bit() + "\"\r\n";
        }
        const QString mux = m_jobs->filePath(QStringLiteral("five one.mux"));
        QFile file(mux);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        addFiles({mux});
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("five one.mux"));
        QCOMPARE(row(0)->text(jcDescription), QStringLiteral("WAV - 6 Ch - 4608 kbps - 48000 hz - 00:00:02"));
    }
};

QTEST_MAIN(TestMp2Mux)
#include "tst_mp2_mux.moc"
