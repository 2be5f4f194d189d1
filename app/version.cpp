#include "app/version.h"

const char* const kKobrixVersion = "Kobrix 3.0";
