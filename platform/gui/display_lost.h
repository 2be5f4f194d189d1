// The display going away under the program (the X server ends, as at a
// logout): nothing can be shown any more and the program ends with status
// 1. Just before, the hook installed here runs once, on the thread whose
// call to the display met the loss (the display thread), so that the
// program can keep what must not be lost. Calls to the display made from
// the hook fail; the hook must not wait for another thread, which may be
// held in such a call.
#pragma once

using DisplayLostHook = void (*)();

// Installs hook (null: none); returns the one installed before.
DisplayLostHook SetDisplayLostHook(DisplayLostHook hook);
