// File name masks of the file chooser.
#pragma once

// Whether name matches one of the ";"-separated masks ("*.wav;*.avi"). "*"
// stands for any run of characters, "?" for one; letters match without
// regard to case; "*.*" matches every name, also one without a dot. Spaces
// around a mask are ignored.
bool MatchesMasks(const char* name, const char* masks);
