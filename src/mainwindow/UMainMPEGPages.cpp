// The own handlers of the AC3, MP2 and MP3 pages.

#include "UMain.h"

void TMainForm::ConnectMPEGPages()
{
}
