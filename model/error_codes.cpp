#include "model/error_codes.h"

namespace {

struct ErrorTexts {
  const char* formatted;
  const char* plain;
};

// Code 29 has no text of its own.
const ErrorTexts kErrorTexts[kErrLast + 1] = {
    {"OK", "OK"},
    {"Unknown parameter type %ld", "Unknown parameter type"},
    {"Not enough memory (%ld bytes)", "Not enough memory"},
    {"File '%s' does not exist", "File does not exist"},
    {"The file '%s' is empty", "The file is empty"},
    {"INTERNAL ERROR : Incorrect number %ld (index out of array)",
     "INTERNAL ERROR : Incorrect number (index out of array)"},
    {"File '%s' has invalid format", "File has invalid format"},
    {"Frame %ld has invalid format", "Frame has invalid format"},
    {"Invalid parameter %ld", "INTERNAL ERROR : Invalid parameter"},
    {"INTERNAL ERROR : No connection with source", "INTERNAL ERROR : No connection with source"},
    {"Hardware output video resolution is less then current project video parameters!\n"
     "Try to change hardware output video format",
     "Hardware output video resolution is less then current project video parameters!\n"
     "Try to change hardware output video format"},
    {"Can not attach hardware resources", "Can not attach hardware resources"},
    {"Not enough memory in VIDEO device/driver (%ld bytes)", "Not enough memory in VIDEO device/driver"},
    {"Can not init VIDEO device/driver", "Can not init VIDEO device/driver"},
    {"No VIDEO device", "No VIDEO device"},
    {"INTERNAL ERROR : No channel", "INTERNAL ERROR : No channel"},
    {"INTERNAL ERROR : You should select an item before",
     "INTERNAL ERROR : You should select an item before"},
    {"User cancelled the action", "User cancelled the action"},
    {"The operation was already completed", "The operation was already completed"},
    {"Can not read file '%s'", "Can not read file"},
    {"Can not write file '%s'", "Can not write file"},
    {"No VTR device", "No VTR device"},
    {"No WAVE device", "No WAVE device"},
    {"No MIDI device", "No MIDI device"},
    {"Can not open file '%s'", "Can not open file"},
    {"File '%s' is NOT Morvane film", "File is NOT Morvane film"},
    {"The project is currently playing", "The project is currently playing"},
    {"Fragment start from NOT KEY frame (frame %d from file %s)", "Fragment start from NOT KEY Frame"},
    {"Can not recompress start frame of fragment '%s'", "Can not recompress start frame of fragment"},
    {"", ""},
    {"Some error in video codec", "Some error in video codec"},
    {"Not enough free space to write file '%s'", "Not enough free space"},
    {"There is no suitable video codec", "There is no suitable video codec"},
    {"INTERNAL ERROR : Fatal (data or code destroyed)", "INTERNAL ERROR : Fatal (data or code destroyed)"},
};

}  // namespace

const char* ErrorFormatText(int code) {
  return code >= 0 && code <= kErrLast ? kErrorTexts[code].formatted : "";
}
const char* ErrorPlainText(int code) {
  return code >= 0 && code <= kErrLast ? kErrorTexts[code].plain : "";
}
