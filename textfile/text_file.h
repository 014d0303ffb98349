#pragma once
// Line-oriented text files: UTF-8 without byte-order mark on disk, CR LF
// after every written line. At most one file is open at a time.
#include <string>

bool text_file_create(const std::u16string& path);
bool text_file_open(const std::u16string& path);
void text_file_write_line(const std::u16string& text);
std::u16string text_file_read_line();
bool text_file_at_end();
void text_file_close();
