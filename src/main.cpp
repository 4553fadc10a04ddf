#include "ZolvaneApp.h"

int main(int argc, char **argv)
{
    return RunZolvane(argc, argv);
}
