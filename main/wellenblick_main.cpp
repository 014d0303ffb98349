#include <windows.h>

#include "main/handlers.h"
#include "main/main_window.h"
#include "base/program_state.h"
#include "settings/settings.h"

namespace {

struct AcceleratorTable {
    HACCEL table;
    AcceleratorTable() : table(create_main_accelerators()) {}
    AcceleratorTable(const AcceleratorTable&) = delete;
    AcceleratorTable& operator=(const AcceleratorTable&) = delete;
    ~AcceleratorTable() {
        if (table) DestroyAcceleratorTable(table);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgramState state;  // carries the built-in defaults
    state.work_dir = current_directory();
    load_settings(state);

    if (HWND window = build_main_window(instance, state, SW_SHOWNORMAL)) {
        AcceleratorTable accelerators;
        run_event_loop(state, window, accelerators.table);
    }
    exit_sequence(state);
    return 0;
}
