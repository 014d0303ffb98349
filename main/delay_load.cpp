// The shell, the file dialog and COM are loaded on first use. Should one of
// them not load (or lack a function), the call fails as the API itself can
// fail, and the action it serves ends silently like any other failure,
// instead of the process ending on the loader's exception (which would skip
// the exit sequence and lose the settings).
#include <windows.h>
#include <commdlg.h>
#include <delayimp.h>
#include <shellapi.h>

#include <cstring>

namespace {

HRESULT WINAPI folder_path_failed(HWND, int, HANDLE, DWORD, LPWSTR) { return E_FAIL; }
BOOL WINAPI shell_execute_failed(SHELLEXECUTEINFOW*) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
}
BOOL WINAPI open_file_name_failed(OPENFILENAMEW*) { return FALSE; }  // as if cancelled
HRESULT WINAPI com_init_failed(LPVOID, DWORD) { return E_FAIL; }
void WINAPI com_uninit_failed() {}

template <typename F>
FARPROC as_proc(F* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

struct Stand_in {
    const char* name;
    FARPROC function;
};
const Stand_in kStandIns[] = {
    {"SHGetFolderPathW", as_proc(folder_path_failed)},
    {"ShellExecuteExW", as_proc(shell_execute_failed)},
    {"GetOpenFileNameW", as_proc(open_file_name_failed)},
    {"CoInitializeEx", as_proc(com_init_failed)},
    {"CoUninitialize", as_proc(com_uninit_failed)},
};

FARPROC WINAPI delay_load_failed(unsigned notice, PDelayLoadInfo info) {
    // A library that does not load is replaced by the program itself, which
    // exports none of the functions: each then fails to be found, below.
    if (notice == dliFailLoadLib) return reinterpret_cast<FARPROC>(GetModuleHandleW(nullptr));
    if (notice != dliFailGetProc || !info->dlp.fImportByName) return nullptr;
    for (const Stand_in& s : kStandIns)
        if (std::strcmp(info->dlp.szProcName, s.name) == 0) return s.function;
    return nullptr;
}

}  // namespace

// Declared by <delayimp.h>; the loader asks it on every failure.
PfnDliHook __pfnDliFailureHook2 = delay_load_failed;
