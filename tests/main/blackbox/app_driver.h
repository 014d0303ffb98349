#pragma once
// Drives a real Wellenblick.exe from another process as a user would:
// start it in a working folder of its own, find its window and controls,
// read and type texts, click buttons, answer its file dialogs, close it.
// Every wait is a poll with a generous bound (wait_until), only so that a
// broken program fails the test instead of hanging it.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/win32_support.h"

struct App {
    UniqueHandle process;
    DWORD pid = 0;
    HWND window = nullptr;
};

// Starts the program with `work_dir` as its current directory and waits
// until its window is visible with all its controls and its event loop
// answers. False when it did not come up (or was visible before it was
// complete); the process (if any) is left in `app` for stop_app.
bool start_app(App& app, const std::u16string& program, const std::u16string& work_dir);
// What became of a start, for a failure message: exit code or still
// running, the main window's state, every top-level window of the process.
std::string describe_app(const App& app);
// Asks the window to close and waits for the process to end; the exit code,
// or STILL_ACTIVE when it did not end within the bound.
DWORD close_app(App& app);
// Terminates the program and any console it started, if still running.
void stop_app(App& app);
bool app_running(const App& app);

HWND control(const App& app, int id);
std::u16string text_of(HWND window);
void set_text(HWND window, const std::u16string& text);
// Clicks a button and returns once its handler has run (not for buttons
// that open a modal dialog: use post_click and answer the dialog).
bool click(const App& app, HWND button);
void post_click(HWND button);
// Returns once the program has taken every message posted to it before
// (post_click, click_list_item) and the handlers they started have returned,
// or wait in a dialog they opened, which is up then. A control's notification reaches the
// window at once, but its handler runs only when the event loop gets round
// to it. Keys and mouse clicks (press_key, mouse_click) come behind posted
// messages: wait for what they do instead.
bool settle(const App& app);

// The visible "#32770" dialog of the program with this title, or null
// after the bound.
HWND wait_for_dialog(const App& app, const std::u16string& title);
// The file-name box of a file-open dialog.
HWND file_name_box(HWND dialog);
// The entries of a file dialog's file-type box.
std::vector<std::u16string> file_type_entries(HWND dialog);
// Presses a dialog button (IDOK, IDCANCEL) and waits for the dialog to go.
bool press_dialog_button(HWND dialog, int id);

// Count, item texts, selection and item rectangles of a list box.
int list_count(HWND list);
std::u16string list_item(HWND list, int index);
int list_selection(HWND list);
// A plain left click on an item, as the mouse delivers it to the list.
bool click_list_item(HWND list, int index);

// Top-level windows of a class that belong to a process (the visible ones
// only, when asked).
std::vector<HWND> process_windows(DWORD pid, const wchar_t* class_name, bool visible_only = false);

struct ToolTip {
    int control;  // number of the control the tip belongs to, or -1
    std::u16string text;
};
// Every tool registered with the program's tooltip pop-ups. The tooltip
// control answers in the program's memory, so the question is put there.
std::vector<ToolTip> tooltips(const App& app);

// Brings the program's window to the front so that typed keys reach it.
bool bring_to_front(const App& app);
// Types one key (with Shift held when asked) as the keyboard would.
void press_key(WORD key, bool shift = false);
// Moves the mouse pointer to the centre of a window and leaves it there.
void point_at(HWND window);
// A left click of the mouse at the centre of a window, as the user makes it;
// clicks follow each other in the input queue in the order they were made.
void mouse_click(HWND window);
// The control that has the keyboard focus in the program, or null.
HWND focused(const App& app);

// The display's DPI as the programs started from now on take it, until the
// object goes and the values before come back. Wine reads the user's
// LogPixels when a program starts. It also notes the DPI its font list was
// made for; a program started at another one would make the list anew and
// rewrite the machine's font entries (the bitmap fonts of that DPI), so
// the note moves along with the DPI.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi);
    ~DisplayScale();
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;

private:
    std::optional<DWORD> before_[2];  // the display's DPI, the font list's; none: no value
};

// The roaming application-data folder, ending in a backslash.
std::u16string appdata_folder();
