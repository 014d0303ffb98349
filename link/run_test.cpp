#include "link/run_test.h"

void run_test(ProgramState&, HWND) {}
std::u16string temp_directory() { return {}; }
void start_program(const std::u16string&) {}
