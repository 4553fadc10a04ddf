// Every preset after every other one, and after a few states a user reaches by hand: the controls
// the preset sets, the advanced dialog's downmix boxes and keys, and the selected job's command
// line end exactly as when the same preset is chosen in a freshly started program.

#include "IniFile.h"
#include "JobRow.h"
#include "MainFormControls.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <utility>
#include <map>

namespace {

QString settingsPath() { return ProgramFolder() + QStringLiteral("Zolvane.ini"); }

// One control as text: ticks, values, a combo box's item, text and list length, the active
// page, a group's visibility; with "(off)" added for a disabled widget.
QString stateOf(const QString &path)
{
    if (path.startsWith(QLatin1String("key:"))) {
        const TIniFile settings(settingsPath());
        return QString::number(settings.ReadInteger(QStringLiteral("Zolvane"), path.mid(4), -1));
    }
    QObject *object = ControlAt(path);
    QString text;
    if (!object)
        return QStringLiteral("<missing>");
    if (auto *pages = qobject_cast<QTabWidget *>(object))
        return pages->currentWidget()->objectName();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->isChecked() ? QStringLiteral("ticked") : QStringLiteral("unticked");
    // A disabled list, bar or number is no part of the target: only that it is off counts.
    if (auto *w = qobject_cast<QWidget *>(object);
        w && !w->isEnabled()
        && (qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSlider *>(w) || qobject_cast<QSpinBox *>(w)))
        return QStringLiteral("(off)");
    if (auto *combo = qobject_cast<QComboBox *>(object))
        text = QStringLiteral("%1 \"%2\" of %3").arg(combo->currentIndex()).arg(combo->currentText()).arg(combo->count());
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        text = group->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown");
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        text = button->isChecked() ? QStringLiteral("ticked") : QStringLiteral("unticked");
    else if (auto *bar = qobject_cast<QAbstractSlider *>(object))
        text = QString::number(bar->value());
    else if (auto *spin = qobject_cast<QSpinBox *>(object))
        text = QString::number(spin->value());
    if (auto *w = qobject_cast<QWidget *>(object); w && !w->isEnabled())
        text += QStringLiteral(" (off)");
    return text;
}

// The controls each family sets, besides what every preset sets (page, resampling, gain mode,
// downmix boxes and keys, its own menu item).
const std::map<QString, QStringList> &FamilyControls()
{
    static const QStringList ct{"cbAACEncEngine", "rbAACOutputCh2", "rbAACOutputCh6", "CTFrame1/rbMPEG4",
                                "CTFrame1/TrackBar", "CTFrame1/cbCTFormat", "CTFrame1/cbAACMode"};
    static const QStringList nd{"cbAACEncEngine", "rbAACOutputCh2", "rbAACOutputCh6", "NDFrame1/rbQuality",
                                "NDFrame1/TntComboBox1", "NDFrame1/trackBar"};
    static const std::map<QString, QStringList> families{
        {"PSCTAAC", ct},
        {"CTHEAAC", ct},
        {"CTLCAAC", ct},
        {"PSNDAAC", nd},
        {"NDHEAAC", nd},
        {"LCVBR", nd},
        {"FLCAAC",
         {"cbAACEncEngine", "rbAACOutputCh2", "rbAACOutputCh6", "FaacFrame1/rbFaacABRMode",
          "FaacFrame1/SpEdFAACABRMode"}},
        {"AC3_", {"rbAften", "AftenFrame1/rbAftenBitrate", "rbAC3OutputCh2", "rbAC3OutputCh6", "AftenFrame1/AC3TrackBar"}},
        {"MP2", {"cbSSRC", "rbMP2TooLame", "MP2TrackBar", "chMP2EncMode", "cbMP2EncMode"}},
        {"MP3",
         {"rbMP3Ch2", "rbMP3Bitrate", "rbMP3Quality", "LameFrame1/MP3TrackBar_Bitrate",
          "LameFrame1/MP3TrackBar_Quality", "LameFrame1/cbVBRMode"}},
        {"OGG", {"rbVORBISOutputCh2", "rbVORBISOutputCh6", "rbVORBISQuality", "VORBISScrollBar"}},
        {"WAV", {"rbWAVOutput", "rbDDWAVOutput", "gbWAVOutputCh"}},
    };
    return families;
}

// The preset items in menu order, by object name.
QStringList PresetNames()
{
    QStringList names;
    for (QMenu *family : MainForm->Presets->findChildren<QMenu *>()) {
        for (QAction *action : family->actions()) {
            if (!action->isSeparator() && !action->menu())
                names << action->objectName();
        }
    }
    return names;
}

QStringList ControlsOf(const QString &preset)
{
    QStringList controls{preset,
                         "PageControl1",
                         "chSSRC",
                         "cbOTAMode",
                         "AdvancedSet/chLFEtoLR",
                         "AdvancedSet/chOutputMode",
                         "key:check_lfe",
                         "key:output_mode_check"};
    QString family;
    if (preset == QLatin1String("SVCD") || preset == QLatin1String("DVD"))
        family = QStringLiteral("MP2");
    else if (QStringList{"Movie1", "Music1", "DAP1"}.contains(preset))
        family = QStringLiteral("MP3");
    else if (preset.contains(QLatin1String("WAV")))
        family = QStringLiteral("WAV");
    else {
        for (const auto &[prefix, list] : FamilyControls()) {
            if (preset.startsWith(prefix))
                family = prefix;
        }
    }
    const auto found = FamilyControls().find(family);
    if (found == FamilyControls().end())
        return {QStringLiteral("<no family for %1>").arg(preset)};
    return controls + found->second;
}

// The job's command line with its output and log files standing as "<out>" and "<log>": the
// output names follow the page and the job list by their own rules.
QString JobCommand()
{
    QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
    static const QRegularExpression output(QStringLiteral(R"(-output "[^"]*")"));
    static const QRegularExpression log(QStringLiteral(R"(-logfile "[^"]*")"));
    cmd.replace(output, QStringLiteral("-output \"<out>\""));
    cmd.replace(log, QStringLiteral("-logfile \"<log>\""));
    return cmd;
}

// A preset chosen from the Presets menu.
void ChoosePreset(const QString &name)
{
    QAction *item = MainForm->findChild<QAction *>(name);
    QVERIFY2(item, qPrintable(name));
    item->trigger();
}

// A choice in a drop-down list as the user makes it.
void Choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

struct Snapshot {
    QStringList states;
    QString command;
};

Snapshot Take(const QString &preset)
{
    Snapshot s;
    for (const QString &path : ControlsOf(preset))
        s.states << path + QLatin1Char('=') + stateOf(path);
    s.command = JobCommand();
    return s;
}

// States a user reaches by hand before choosing a preset.
const std::vector<std::pair<QString, std::function<void()>>> &HandMadeStates()
{
    static const std::vector<std::pair<QString, std::function<void()>>> states{
        {"VORBIS by bit rate",
         [] {
             ClickTab(MainForm->TabSheet5);
             MainForm->rbVORBISBitrate->click();
         }},
        {"Nero Digital by bit rate, HEv2",
         [] {
             ClickTab(MainForm->TabSheet1);
             Choose(MainForm->cbAACEncEngine, 2);
             MainForm->NDFrame1->rbBitrate->click();
             Choose(MainForm->NDFrame1->TntComboBox1, 3);
         }},
        {"FAAC by VBR, Aften by quality",
         [] {
             ClickTab(MainForm->TabSheet1);
             Choose(MainForm->cbAACEncEngine, 1);
             MainForm->FaacFrame1->rbFAACVBRMode->click();
             ClickTab(MainForm->TabSheet2);
             MainForm->rbAften->click();
             MainForm->AftenFrame1->rbAftenQuality->click();
         }},
        {"5.1 on every page",
         [] {
             ClickTab(MainForm->TabSheet6);
             MainForm->rbAIFFOutput->click();
             ClickTab(MainForm->TabSheet5);
             MainForm->rbVORBISOutputCh6->click();
             ClickTab(MainForm->TabSheet2);
             MainForm->rbAC3OutputCh6->click();
             ClickTab(MainForm->TabSheet1);
             Choose(MainForm->cbAACEncEngine, 3);
             MainForm->rbAACOutputCh6->click();
             Choose(MainForm->CTFrame1->cbCTFormat, 1);
         }},
        {"resampling to a typed rate",
         [] {
             MainForm->chSSRC->click();
             QLineEdit *edit = MainForm->cbSSRC->lineEdit();
             edit->selectAll();
             QTest::keyClicks(edit, QStringLiteral("12345"));
         }},
    };
    return states;
}

} // namespace

class TestPresetPairs : public QObject
{
    Q_OBJECT

    QStringList m_presets;
    QStringList m_checked;
    std::map<QString, Snapshot> m_clean;

    // A freshly started program (its windows as start-up leaves them before the first showing,
    // which with no settings file would ask for the tool paths): new windows, one selected job.
    void Restart()
    {
        DestroyZolvaneWindows();
        QFile::remove(settingsPath());
        CreateZolvaneWindows();
        AddSelectedJob();
    }

    QStringList m_differences;

    // Notes where the preset ended otherwise than from a clean start.
    void Compare(const QString &before, const QString &preset)
    {
        const Snapshot now = Take(preset);
        const Snapshot &clean = m_clean.at(preset);
        for (qsizetype i = 0; i < clean.states.size(); ++i) {
            if (now.states.value(i) != clean.states[i])
                m_differences << QStringLiteral("%1 after %2: %3, from a clean start %4")
                                     .arg(preset, before, now.states.value(i), clean.states[i]);
        }
        if (now.command != clean.command)
            m_differences << QStringLiteral("%1 after %2:\n    %3\n  from a clean start:\n    %4")
                                 .arg(preset, before, now.command, clean.command);
    }

    void VerifyNoDifferences()
    {
        const QStringList found = std::exchange(m_differences, {});
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 differences, the first ones:\n").arg(found.size())
                                             + found.mid(0, qEnvironmentVariableIntValue("PAIRS_SHOW") > 0 ? found.size() : 25).join(QLatin1Char('\n'))));
    }

private slots:
    void initTestCase()
    {
        QFile::remove(settingsPath());
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet);
        m_presets = PresetNames();
        QVERIFY(!m_presets.isEmpty());
        // The presets are checked in PAIRS_PARTS parts, one per test program, which run side by
        // side: this program checks every PAIRS_PARTS-th preset from PAIRS_PART on, after all.
        for (qsizetype i = PAIRS_PART; i < m_presets.size(); i += PAIRS_PARTS)
            m_checked << m_presets[i];
        for (const QString &preset : m_checked) {
            Restart();
            ChoosePreset(preset);
            m_clean[preset] = Take(preset);
            for (const QString &state : m_clean[preset].states)
                QVERIFY2(!state.contains(QLatin1String("<")), qPrintable(state));
        }
        Restart();
    }
    void cleanupTestCase()
    {
        DestroyZolvaneWindows();
        QFile::remove(settingsPath());
    }

    // Each preset after every other one, in one running program.
    void eachPresetAfterEveryOther()
    {
        for (const QString &preset : m_checked) {
            for (const QString &before : m_presets) {
                if (before == preset)
                    continue;
                ChoosePreset(before);
                ChoosePreset(preset);
                Compare(before, preset);
            }
        }
        VerifyNoDifferences();
    }

    // Each preset after states the user reaches by hand, each made from the state the last
    // preset left.
    void eachPresetAfterHandMadeStates()
    {
        for (const auto &[name, make] : HandMadeStates()) {
            for (const QString &preset : m_checked) {
                make();
                ChoosePreset(preset);
                Compare(name, preset);
            }
        }
        VerifyNoDifferences();
    }
};

QTEST_MAIN(TestPresetPairs)
#include "tst_preset_pairs.moc"
