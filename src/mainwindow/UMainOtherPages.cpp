// The own handlers of the VORBIS, WAV/PCM, SPEEX and Lossless pages.

#include "UMain.h"

void TMainForm::ConnectOtherPages()
{
}
