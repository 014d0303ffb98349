// Moves the mouse pointer to the bottom-right corner of the screen, where
// it hovers over nothing and raises no tooltip in a picture.
#include <windows.h>

int main() {
    return SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1) ? 0 : 1;
}
