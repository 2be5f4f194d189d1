// The sound format chooser dialog and its list.
#pragma once

constexpr int kFormatChooserDialog = 1890;
constexpr int kFormatChooserList = 1891;
