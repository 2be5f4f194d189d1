// A program that opens the virtual sound device and leaves by returning from
// main: it must end with status 0, its clock's thread stopped in time.
#include <cstdio>

#include "platform/audio/wave.h"

int main() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 44100 * 4;
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, 0, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    std::fprintf(stderr, "the virtual device did not open\n");
    return 1;
  }
  return 0;
}
