#pragma once
// The settings file's six lines: which value stands on which line, and what
// an empty or missing line means.
#include "base/program_state.h"

#include <array>
#include <cstddef>
#include <string>

inline constexpr std::size_t kSettingsLineCount = 6;
using SettingsLines = std::array<std::u16string, kSettingsLineCount>;

// The six values in file order, stored as they are.
SettingsLines settings_to_lines(const ProgramState& state);
// Line `index` (0-based) into its value; an empty line gives the line's default.
void apply_settings_line(ProgramState& state, std::size_t index, const std::u16string& line);
