#include "link/test_command.h"

bool is_rtmp_family(std::u16string_view) { return false; }
Pipeline choose_pipeline(std::u16string_view) { return Pipeline::none; }
void compose_test_command(ProgramState&) {}
std::u16string clipboard_line(const ProgramState&) { return {}; }
