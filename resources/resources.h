// The program's resources: menus, accelerator tables, dialog templates,
// strings and pictures, registered with the window system by number.
#pragma once

// Registers every resource of the program (once; later calls do nothing).
void RegisterProgramResources();
