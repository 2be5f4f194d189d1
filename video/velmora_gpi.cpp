// The board's GPI lines as the settings page and the wait dialog use them.
// The board keeps "closed by default"; the program speaks of "open by
// default", its negation.
#include <cstring>

#include "model/scratch_str.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"

namespace {

// Runs what with the line seized; false without a board or a free line.
template <typename F>
bool WithLine(int32_t line, F what) {
  if (!VelmoraBoardAvailable) return false;
  if (VelmoraApi.vdc_SeizeGPI(line) == 0) return false;
  const bool ok = what();
  VelmoraApi.vdc_FreeGPI(line);
  return ok;
}

}  // namespace

bool VelmoraDevice::GetGPIState(int32_t line) {
  int input = 0;
  return WithLine(line, [&] {
           int closed = 0;
           char name[256] = {};
           return VelmoraApi.vdc_GetGPIInfo(line, name, 255, &closed, &input) != 0;
         }) &&
         input != 0;
}

const char* VelmoraDevice::GetGPIName(int32_t line) {
  char* text = ScratchStr::Next();
  text[0] = '\0';
  const bool ok = WithLine(line, [&] {
    int closed = 0, input = 0;
    return VelmoraApi.vdc_GetGPIInfo(line, text, 255, &closed, &input) != 0;
  });
  text[ScratchStr::kSize - 1] = '\0';
  return ok ? text : nullptr;
}

bool VelmoraDevice::GetGPISettings(int32_t line, char* name, int32_t size, bool& openByDefault, bool& input) {
  char text[256] = {};
  int closed = 0, in = 0;
  const bool ok = WithLine(line, [&] { return VelmoraApi.vdc_GetGPIInfo(line, text, 255, &closed, &in) != 0; });
  if (!ok) {
    std::strncpy(text, GetString(ui_string::kNoGpiLine), 255);
    closed = 0;
    in = 1;
  }
  if (name != nullptr && size > 0) {
    std::strncpy(name, text, static_cast<std::size_t>(size - 1));
    name[size - 1] = '\0';
  }
  openByDefault = closed == 0;
  input = in != 0;
  return ok;
}

bool VelmoraDevice::SetGPISettings(int32_t line, bool openByDefault, bool input) {
  return WithLine(line, [&] { return VelmoraApi.vdc_SetGPIInfo(line, openByDefault ? 0 : 1, input ? 1 : 0) != 0; });
}
