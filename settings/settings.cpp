#include "settings/settings.h"

void load_settings(ProgramState&) {}
void save_settings(const ProgramState&) {}
