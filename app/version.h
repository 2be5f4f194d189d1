#pragma once

// The program's name and version, as the about box and the usage text show them.
extern const char* const kKobrixVersion;
