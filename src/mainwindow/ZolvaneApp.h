#pragma once

// Start-up and exit of the program, shared by main() and the tests.
void CreateZolvaneWindows();   // the twelve windows, once each, in their fixed order
void DestroyZolvaneWindows();  // in the reverse order of their creation
int RunZolvane(int argc, char **argv);
