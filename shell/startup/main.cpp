// The program entry: everything happens in ProcessEntry.
#include "shell/startup/QV7_WinMain.h"

int main() { return ProcessEntry(); }
