// The program's entry point lives with the framework: the program itself
// is its application object.
#include "platform/afxwin.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
