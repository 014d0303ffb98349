#include "textfile/text_file.h"

bool text_file_create(const std::u16string&) { return false; }
bool text_file_open(const std::u16string&) { return false; }
void text_file_write_line(const std::u16string&) {}
std::u16string text_file_read_line() { return {}; }
bool text_file_at_end() { return true; }
void text_file_close() {}
