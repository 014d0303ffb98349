#pragma once
// Line-oriented text files: UTF-8 (a batch file: the console's code page)
// without byte-order mark on disk, CR LF after every written line. At most
// one file is open at a time; opening or creating another closes the
// previous one first.
#include <string>

enum class TextEncoding {
    utf8,
    // The code page cmd.exe reads a batch file in: the OEM code page of the
    // system (UTF-8 on a system set to UTF-8). ASCII is the same in both.
    console,
};

// True when the character (a code point) written in `encoding` reads back as
// itself: no '?' and no best-fit look-alike.
bool text_encoding_holds(TextEncoding encoding, char32_t c);
// Creates or empties the file and keeps it open for writing; others may
// read it meanwhile, not write or delete it. An existing hidden or system
// file is emptied in place. False when neither works; nothing is open then.
bool text_file_create(const std::u16string& path, TextEncoding encoding = TextEncoding::utf8);
// Opens an existing file for reading from its first byte. False when it is
// missing, a folder, or held open for writing elsewhere.
bool text_file_open(const std::u16string& path);
// Appends the text in the file's encoding and CR LF (buffered). Ignored
// unless writing. False, with nothing of the line written, when a character
// has no form in the file's encoding or nothing is open for writing.
bool text_file_write_line(const std::u16string& text);
// The next line without its end (LF, CR, CR LF or NUL), invalid UTF-8 as
// U+FFFD; the empty text at the end or unless reading.
std::u16string text_file_read_line();
// True when no byte is left to read; does not move the read position.
bool text_file_at_end();
// Writes out what is buffered and asks the system to put it on the disk.
// True only when every byte written since the create reached the file.
bool text_file_flush();
// Writes out what is buffered and closes; nothing happens with no file open.
void text_file_close();

// The call that hands bytes to the file (WriteFile unless replaced): false
// on failure, `written` tells how many bytes were taken. A seam for tests of
// a write that fails halfway; null restores the system's.
using TextFileWriter = bool (*)(void* handle, const char* bytes, unsigned long size,
                                unsigned long* written);
void text_file_set_writer(TextFileWriter writer);
