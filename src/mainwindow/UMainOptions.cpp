// The own handlers of the left panel's processing options, the page switch, the AAC page and its engine frames.

#include "UMain.h"

void TMainForm::ConnectProcessingOptions()
{
}
