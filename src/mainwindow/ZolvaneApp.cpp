#include "ZolvaneApp.h"

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

#include <QApplication>

void CreateZolvaneWindows()
{
    MainForm = new TMainForm;
    AdvancedSet = new TAdvancedSet;
    OthersLame = new TOthersLame;
    KDMuxFileWizard = new TKDMuxFileWizard;
    FileListWriter = new TFileListWriter;
    DTSForm = new TDTSForm;
    About = new TAbout;
    KDCL = new TKDCL;
    ZolvaneLog = new TZolvaneLog;
    ExeBrowse = new TExeBrowse;
    KapartoForm = new TKapartoForm;
    AudXForm = new TAudXForm;
}

template <typename T> static void destroy(T *&window)
{
    delete window;
    window = nullptr;
}

void DestroyZolvaneWindows()
{
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
}

int RunZolvane(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zolvane"));
    CreateZolvaneWindows();
    MainForm->show();
    const int rc = app.exec();
    DestroyZolvaneWindows();
    return rc;
}
