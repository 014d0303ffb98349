#include <windows.h>

// Placeholder entry until the window exists.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
