#include "ZolvaneApp.h"

#include "LanguageStrings.h"
#include "UAbout.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "UDTSFiles.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UFileLstWriter.h"
#include "UKDmuxFile.h"
#include "UKaparto.h"
#include "ULame.h"
#include "UMain.h"
#include "UZolvaneLog.h"

#include "IniFile.h"
#include "DialogSupport.h"
#include "Paths.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLocale>
#include <QMessageBox>
#include <QToolTip>

#include <clocale>

namespace {

QStringList g_creationOrder;
QString g_applicationTitle;

// Shows every hint for the program's hint pause instead of the style's default time.
class HintPauseFilter : public QObject
{
public:
    using QObject::QObject;
    int pause = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || pause < 0 || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        const QString hint = widget->toolTip();
        if (hint.isEmpty())
            return false;
        auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), hint, widget, QRect(), pause);
        return true;
    }
};

HintPauseFilter *g_hintFilter = nullptr;

template <typename T> void create(T *&window)
{
    window = new T;
    g_creationOrder << QString::fromLatin1(window->metaObject()->className());
}

template <typename T> void destroy(T *&window)
{
    // The instance stays reachable while its destructor runs (the settings are written then).
    delete window;
    window = nullptr;
}

} // namespace

void InitZolvaneProcess()
{
    // Command lines, the settings file and computed labels all write numbers with a point,
    // whatever the user's regional settings say. QApplication has set the C library's locale
    // from the environment, so LC_NUMERIC is put back to the point too.
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Zolvane"));
    SetApplicationTitle(QStringLiteral("Zolvane"));
}

void CreateZolvaneWindows()
{
    g_creationOrder.clear();
    create(MainForm);
    create(AdvancedSet);
    create(OthersLame);
    create(KDMuxFileWizard);
    create(FileListWriter);
    create(DTSForm);
    create(About);
    create(KDCL);
    create(ZolvaneLog);
    create(ExeBrowse);
    create(KapartoForm);
    create(AudXForm);
}

void DestroyZolvaneWindows()
{
    // Every window that writes the settings at exit writes into one pass, committed when the last
    // window is gone: a single replace of the file, however large it is.
    TIniSavePass exitPass(SettingsFilePath());
    destroy(AudXForm);
    destroy(KapartoForm);
    destroy(ExeBrowse);
    destroy(ZolvaneLog);
    destroy(KDCL);
    destroy(About);
    destroy(DTSForm);
    destroy(FileListWriter);
    destroy(KDMuxFileWizard);
    destroy(OthersLame);
    destroy(AdvancedSet);
    destroy(MainForm);
    try {
        exitPass.Commit();
    } catch (const EIniFileException &error) {
        // The windows are gone: the message has no owner.
        if (TMainForm::MessageHook)
            TMainForm::MessageHook(nullptr, SettingsErrorText(error), true);
        else
            QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), SettingsErrorText(error));
    }
}

QStringList ZolvaneWindowCreationOrder()
{
    return g_creationOrder;
}

int ZolvaneSession()
{
    InitZolvaneProcess();
    CreateZolvaneWindows();
    // The main window ends the loop itself (close button or File > Quit), whatever other
    // windows are still open.
    QApplication::setQuitOnLastWindowClosed(false);
    MainForm->show();
    const int rc = QApplication::exec();
    DestroyZolvaneWindows();
    return rc;
}

int RunZolvane(int argc, char **argv)
{
    QApplication app(argc, argv);
    return ZolvaneSession();
}

void SetApplicationTitle(const QString &title)
{
    // Kept apart from the toolkit's display name: the desktop would append that to the caption of
    // every window and dialog ("Advanced Settings — Zolvane"), and the captions are the program's
    // own texts.
    g_applicationTitle = title;
}

QString ApplicationTitle()
{
    return g_applicationTitle;
}

void SetHintHidePause(int milliseconds)
{
    if (!g_hintFilter) {
        g_hintFilter = new HintPauseFilter(qApp);
        qApp->installEventFilter(g_hintFilter);
    }
    g_hintFilter->pause = milliseconds;
}

int HintHidePause()
{
    return g_hintFilter ? g_hintFilter->pause : -1;
}
