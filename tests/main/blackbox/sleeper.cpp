// Stand-in for a tool process: does nothing until it is terminated, and
// ends by itself after a minute so a failed test cannot leave it behind.
#include <windows.h>

int main() {
    Sleep(60000);
    return 0;
}
