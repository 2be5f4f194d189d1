// The sound format chooser dialog and its list.
#pragma once

constexpr int kFormatChooserDialog = 2990;
constexpr int kFormatChooserList = 2991;
