// How audio sources compare paths: exactly, as the file system does.
#pragma once

#include <cstring>

inline bool SameAudioPath(const char* a, const char* b) { return std::strcmp(a, b) == 0; }
