#include "KDCmdlGather.h"

#include "UMainGlobals.h"

namespace {
QStringList g_missing;
}

void KDCmdlRun()
{
    g_missing.clear();
}

QStringList KDCmdlMissingControls()
{
    return g_missing;
}
