// Saving the current unit's settings to a file and loading them back.
#include "MainForm.h"

void MainForm::bt_SaveFile_Click() {}
void MainForm::bt_LoadFile_Click() {}
