#pragma once
#include "base/program_state.h"

inline constexpr char16_t kSettingsFileName[] = u"Wellenblick.ini";

// Reads work_dir + "Wellenblick.ini" into the six values; a missing file
// leaves them as they are.
void load_settings(ProgramState& state);
// Rewrites work_dir + "Wellenblick.ini" with the six values.
void save_settings(const ProgramState& state);
