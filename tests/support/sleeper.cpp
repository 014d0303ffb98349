#include <windows.h>

// Waits to be terminated; gives up after a minute so a failed test cannot
// leave it behind for long. Exit code 0 tells the cap from a termination.
int main() {
    Sleep(60 * 1000);
    return 0;
}
