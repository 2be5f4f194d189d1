// Format suggestion, the formats the chooser offers, and the chooser.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/audioconv/acm.h"
#include "platform/audioconv/acm_driver.h"

using acm::FormatInfo;
using acm::Kind;

namespace {

constexpr DWORD kStandardRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
constexpr WORD kPcmBits[] = {8, 16, 24, 32};

std::atomic<AcmFormatChooserUi*> g_chooser{nullptr};

WAVEFORMATEX Linear(WORD tag, WORD channels, DWORD rate, WORD bits) {
  WAVEFORMATEX f{};
  f.wFormatTag = tag;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * ((bits + 7) / 8));
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  f.cbSize = 0;
  return f;
}

// The bits a suggestion takes when the caller leaves them open.
WORD DefaultBits(WORD tag, const FormatInfo& source) {
  if (tag == WAVE_FORMAT_IEEE_FLOAT) return 32;
  if (source.kind == Kind::Pcm) return static_cast<WORD>(8 * source.container);
  return 16;
}

void Describe(const WAVEFORMATEX& f, AcmFormatChoice* choice) {
  std::snprintf(choice->formatTag, sizeof choice->formatTag, "%s",
                f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT ? "IEEE Float" : "PCM");
  const DWORD r = f.nSamplesPerSec;
  char rate[32];
  if (r >= 1000000)
    std::snprintf(rate, sizeof rate, "%u,%03u,%03u", r / 1000000, (r / 1000) % 1000, r % 1000);
  else if (r >= 1000)
    std::snprintf(rate, sizeof rate, "%u,%03u", r / 1000, r % 1000);
  else
    std::snprintf(rate, sizeof rate, "%u", r);
  char channels[24];
  if (f.nChannels == 1)
    std::snprintf(channels, sizeof channels, "Mono");
  else if (f.nChannels == 2)
    std::snprintf(channels, sizeof channels, "Stereo");
  else
    std::snprintf(channels, sizeof channels, "%u Channels", static_cast<unsigned>(f.nChannels));
  std::snprintf(choice->description, sizeof choice->description, "%s Hz, %u Bit, %s", rate,
                static_cast<unsigned>(f.wBitsPerSample), channels);
}

bool SameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b) {
  return a.wFormatTag == b.wFormatTag && a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
         a.wBitsPerSample == b.wBitsPerSample;
}

}  // namespace

MMRESULT acmMetrics(HACMOBJ object, UINT metric, LPVOID value) {
  if (object != nullptr) return MMSYSERR_INVALHANDLE;
  if (value == nullptr) return MMSYSERR_INVALPARAM;
  if (metric != ACM_METRIC_MAX_SIZE_FORMAT) return MMSYSERR_NOTSUPPORTED;
  const DWORD size = static_cast<DWORD>(std::max(sizeof(WAVEFORMATEX), sizeof(IMAADPCMWAVEFORMAT)));
  std::memcpy(value, &size, sizeof size);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX destination,
                          DWORD destinationSize, DWORD flags) {
  if (driver != nullptr) return MMSYSERR_INVALHANDLE;
  if (source == nullptr || destination == nullptr) return MMSYSERR_INVALPARAM;
  if (flags & ~ACM_FORMATSUGGESTF_TYPEMASK) return MMSYSERR_INVALFLAG;
  if (destinationSize < sizeof(WAVEFORMATEX)) return MMSYSERR_INVALPARAM;
  FormatInfo s;
  if (!acm::Describe(source, &s)) return ACMERR_NOTPOSSIBLE;
  WORD tag = s.kind == Kind::Float ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
  if (flags & ACM_FORMATSUGGESTF_WFORMATTAG) tag = destination->wFormatTag;
  if (tag != WAVE_FORMAT_PCM && tag != WAVE_FORMAT_IEEE_FLOAT) return ACMERR_NOTPOSSIBLE;
  const WORD channels =
      (flags & ACM_FORMATSUGGESTF_NCHANNELS) ? destination->nChannels : static_cast<WORD>(s.channels);
  const DWORD rate = (flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) ? destination->nSamplesPerSec : s.rate;
  const WORD bits =
      (flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) ? destination->wBitsPerSample : DefaultBits(tag, s);
  const WAVEFORMATEX suggestion = Linear(tag, channels, rate, bits);
  FormatInfo d;
  if (!acm::Describe(&suggestion, &d) || !acm::ConvertsDirectly(s, d)) return ACMERR_NOTPOSSIBLE;
  *destination = suggestion;
  return MMSYSERR_NOERROR;
}

std::vector<AcmFormatChoice> AcmFormatChoices(DWORD enumFlags, const WAVEFORMATEX* enumFormat) {
  std::vector<AcmFormatChoice> choices;
  const DWORD restricting = ACM_FORMATENUMF_WFORMATTAG | ACM_FORMATENUMF_NCHANNELS |
                            ACM_FORMATENUMF_NSAMPLESPERSEC | ACM_FORMATENUMF_WBITSPERSAMPLE |
                            ACM_FORMATENUMF_CONVERT;
  if ((enumFlags & restricting) != 0 && enumFormat == nullptr) return choices;
  FormatInfo source;
  const bool convert = (enumFlags & ACM_FORMATENUMF_CONVERT) != 0;
  if (convert && !acm::Describe(enumFormat, &source)) return choices;

  // The standard rates and channel counts, and those of the given format.
  std::vector<DWORD> rates(std::begin(kStandardRates), std::end(kStandardRates));
  std::vector<WORD> channelCounts = {1, 2};
  if (enumFormat != nullptr && enumFormat->nSamplesPerSec >= 1 &&
      enumFormat->nSamplesPerSec <= acm::kMaxRate &&
      std::find(rates.begin(), rates.end(), enumFormat->nSamplesPerSec) == rates.end()) {
    rates.push_back(enumFormat->nSamplesPerSec);
    std::sort(rates.begin(), rates.end());
  }
  if (enumFormat != nullptr && enumFormat->nChannels > 2 && enumFormat->nChannels <= acm::kMaxChannels)
    channelCounts.push_back(enumFormat->nChannels);

  for (WORD tag : {WAVE_FORMAT_PCM, WAVE_FORMAT_IEEE_FLOAT}) {
    if ((enumFlags & ACM_FORMATENUMF_WFORMATTAG) && tag != enumFormat->wFormatTag) continue;
    for (DWORD rate : rates) {
      if ((enumFlags & ACM_FORMATENUMF_NSAMPLESPERSEC) && rate != enumFormat->nSamplesPerSec) continue;
      for (WORD bits : kPcmBits) {
        if (tag == WAVE_FORMAT_IEEE_FLOAT && bits != 32) continue;
        if ((enumFlags & ACM_FORMATENUMF_WBITSPERSAMPLE) && bits != enumFormat->wBitsPerSample) continue;
        for (WORD channels : channelCounts) {
          if ((enumFlags & ACM_FORMATENUMF_NCHANNELS) && channels != enumFormat->nChannels) continue;
          AcmFormatChoice c;
          c.format = Linear(tag, channels, rate, bits);
          FormatInfo d;
          if (!acm::Describe(&c.format, &d)) continue;
          if (convert && !acm::ConvertsDirectly(source, d)) continue;
          Describe(c.format, &c);
          choices.push_back(c);
        }
      }
    }
  }
  return choices;
}

AcmFormatChooserUi* SetAcmFormatChooserUi(AcmFormatChooserUi* ui) {
  return g_chooser.exchange(ui);
}

MMRESULT acmFormatChoose(LPACMFORMATCHOOSE choose) {
  if (choose == nullptr || choose->cbStruct < sizeof(ACMFORMATCHOOSE) || choose->pwfx == nullptr)
    return MMSYSERR_INVALPARAM;
  if (choose->cbwfx < sizeof(WAVEFORMATEX)) return ACMERR_NOTPOSSIBLE;
  const std::vector<AcmFormatChoice> choices = AcmFormatChoices(choose->fdwEnum, choose->pwfxEnum);
  if (choices.empty()) return ACMERR_NOTPOSSIBLE;
  AcmFormatChooserUi* ui = g_chooser.load();
  if (ui == nullptr) return MMSYSERR_NOTSUPPORTED;
  int initial = 0;
  if (choose->fdwStyle & ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT) {
    for (std::size_t i = 0; i < choices.size(); ++i)
      if (SameFormat(choices[i].format, *choose->pwfx)) initial = static_cast<int>(i);
  }
  const int chosen = ui->Choose(choose->hwndOwner, choose->pszTitle, choices, initial);
  if (chosen < 0) return ACMERR_CANCELED;
  if (static_cast<std::size_t>(chosen) >= choices.size()) return MMSYSERR_ERROR;
  const AcmFormatChoice& c = choices[static_cast<std::size_t>(chosen)];
  *choose->pwfx = c.format;
  std::memcpy(choose->szFormatTag, c.formatTag, sizeof choose->szFormatTag);
  std::memcpy(choose->szFormat, c.description, sizeof choose->szFormat);
  return MMSYSERR_NOERROR;
}
