// Writing the time-line as an edit decision list, and the file lists that
// number the media files it names.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "audio/audio_player.h"
#include "media/video_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/time_code.h"
#include "model/timeline_engine.h"
#include "platform/codecs/dib.h"
#include "platform/core/paths.h"
#include "timeline/edl_format.h"

namespace {

constexpr int32_t kFirstFileId = 201;
constexpr int32_t kFirstAudioTrack = 4;

// Lines are written whole or the export fails; each ends in CR LF as the
// format has them on every system.
class EdlWriter {
 public:
  explicit EdlWriter(std::FILE* file) : file_(file) {}

  bool Put(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0 || n >= static_cast<int>(sizeof text)) return false;
    return std::fwrite(text, 1, static_cast<std::size_t>(n), file_) == static_cast<std::size_t>(n);
  }
  // A name is written as it is, whatever it holds.
  bool PutName(const char* name) {
    static const char head[] = "\t\t\t[DOS_File='";
    static const char tail[] = "'],\r\n";
    const std::size_t n = std::strlen(name);
    return std::fwrite(head, 1, sizeof head - 1, file_) == sizeof head - 1 &&
           std::fwrite(name, 1, n, file_) == n && std::fwrite(tail, 1, sizeof tail - 1, file_) == sizeof tail - 1;
  }

 private:
  std::FILE* file_;
};

int32_t Frames(int64_t ms) {
  return MsToFrames(static_cast<LONG>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX)), ProjectFrameRate());
}

// Width, height and bits of a video file's pictures.
void PictureFormat(VideoSource* video, int32_t& width, int32_t& height, int32_t& depth) {
  width = height = 0;
  depth = 24;
  if (auto* avi = dynamic_cast<AVIVideoData*>(video); avi != nullptr && avi->Format() != nullptr) {
    const BITMAPINFOHEADER& f = *avi->Format();
    width = f.biWidth;
    height = static_cast<int32_t>(DibHeight(f));
    depth = f.biBitCount;
  } else if (auto* data = dynamic_cast<VideoData*>(video)) {
    data->GetSize(&width, &height);
  }
}

// The level points of one audio clip: its envelope between its in and out
// points, each point's level scaled by the clip's and the lines' gains.
bool WriteBand(EdlWriter& out, const Film& f, float lineFactor) {
  if (!out.Put("\t\t\t\t[RubberBand, Max=%d,\r\n", kEdlBandMax)) return false;
  const Profile& points = f.volumePoints;
  const int32_t count = points.Count();
  if (count > 0) {
    int32_t first = 0;
    for (int32_t i = 1; i < count && points[i].time <= f.in; ++i) first = i;
    int32_t last = first;
    while (last < count - 1 && points[last].time < f.out) ++last;
    const float clipFactor = static_cast<float>(f.volume * lineFactor);
    const int32_t span = Frames(f.end) - Frames(f.start);
    for (int32_t i = first, n = 0; i <= last; ++i, ++n) {
      const int32_t h = std::clamp(Frames(static_cast<int64_t>(points[i].time) - f.in), 0, std::max(span, 0));
      const int32_t v = static_cast<int32_t>(points[i].value * static_cast<double>(clipFactor) + 0.499);
      if (!out.Put("\t\t\t\t\t[Band_Point #%d,h=%d,v=%d],\r\n", n, h, v)) return false;
    }
  }
  return out.Put("\t\t\t\t],\r\n\t\t\t],\r\n");
}

}  // namespace

bool BuildEdlFileLists(const FilmListHead& films, EdlFileRecord** videoList, EdlFileRecord** audioList) {
  *videoList = nullptr;
  *audioList = nullptr;
  try {
    std::vector<VideoSource*> videos;
    std::vector<AudioSource*> audios;
    std::unordered_set<const void*> seen;
    for (const Film* f = films.First(); f; f = f->next) {
      if (f->video && seen.insert(f->video).second) videos.push_back(f->video);
      if (f->audio && seen.insert(f->audio).second) audios.push_back(f->audio);
    }
    int32_t id = kFirstFileId;
    std::unordered_map<std::string, EdlFileRecord*> byName;
    for (VideoSource* v : videos) {
      auto* r = new EdlFileRecord{*videoList, id, v->GetFileName(), nullptr, v};
      *videoList = r;
      id += 2;
      byName.emplace(NativePath(r->name), r);
    }
    for (AudioSource* a : audios) {
      auto* r = new EdlFileRecord{*audioList, id, a->GetFileName(), a, nullptr};
      *audioList = r;
      id += 2;
      // A file with picture and sound is one file of the list.
      if (auto it = byName.find(NativePath(r->name)); it != byName.end()) {
        EdlFileRecord* v = it->second;
        r->id = v->id;
        r->name = v->name;
        r->video = v->video;
        if (v->audio == nullptr) v->audio = a;
      }
    }
  } catch (const std::bad_alloc&) {
    FreeEdlFileRecords(*videoList);
    FreeEdlFileRecords(*audioList);
    *videoList = nullptr;
    *audioList = nullptr;
    return false;
  }
  return true;
}

namespace {

bool WriteLines(std::FILE* file, const TimeLineEngine& e, const FilmListHead& films,
                const EdlFileRecord* videoFiles, const EdlFileRecord* audioFiles) {
  EdlWriter out(file);
  int32_t largest = -1;
  for (const EdlFileRecord* r : {videoFiles, audioFiles}) {
    for (; r != nullptr; r = r->next) largest = std::max(largest, r->id);
  }
  const int32_t base = largest < 0 ? 3 : largest + 3;
  auto clipId = [base](int32_t n) { return static_cast<int32_t>(base + 2 * static_cast<int64_t>(n)); };

  if (!out.Put("['Adobe Premiere\xAA 4.0 Generic Edit Decision List',")) return false;
  const bool range = e.selStart < e.selEnd;
  if (!out.Put("Work_Start=%d,Work_End=%d,\r\n", range ? Frames(e.selStart) : 0,
               Frames(range ? e.selEnd : e.length)))
    return false;

  // One walk of the list: each film with its place in it, by row and line.
  std::vector<const Film*> all;
  std::vector<int32_t> onRow[2], onLine[4];
  std::unordered_set<const void*> used;
  for (const Film* f = films.First(); f; f = f->next) {
    const int32_t n = static_cast<int32_t>(all.size());
    all.push_back(f);
    if (f->video && f->videoRow >= 0 && f->videoRow < 2) onRow[f->videoRow].push_back(n);
    if (f->audio && f->audioLine >= 0 && f->audioLine < 4) onLine[f->audioLine].push_back(n);
    if (f->video) used.insert(f->video);
    if (f->audio) used.insert(f->audio);
  }

  if (!out.Put("\t[Tracks,\r\n")) return false;
  int32_t track = 0;
  for (const std::vector<int32_t>& row : onRow) {
    if (row.empty()) continue;
    if (!out.Put("\t\t[Track #%d,\r\n\t\t\t[Video],\r\n", track++)) return false;
    int32_t record = 0;
    for (int32_t n : row) {
      if (!out.Put("\t\t\t[Track_Record #%d, ClipID=%d, Start=%d, End=%d],\r\n", record++, clipId(n),
                   Frames(all[n]->start), Frames(all[n]->end)))
        return false;
    }
    if (!out.Put("\t\t],\r\n")) return false;
  }

  track = kFirstAudioTrack;
  const int32_t lines = std::clamp(e.audioLineCount, 0, 4);
  for (int32_t line = 0; line < lines; ++line) {
    if (onLine[line].empty()) continue;
    if (!out.Put("\t\t[Track #%d,\r\n\t\t\t[Audio,\r\n\t\t\t\t[Mapping=00000011],\r\n\t\t\t],\r\n", track++))
      return false;
    // A line at unity under a master at unity gives 1/512: a clip at unity
    // writes its points' own levels.
    const float lineFactor = static_cast<float>(static_cast<double>(e.audioPanel[line].gain) * e.masterGain *
                                                512.0 * std::ldexp(1.0, -36));
    int32_t record = 0;
    for (int32_t n : onLine[line]) {
      const Film* f = all[n];
      if (!out.Put("\t\t\t[Track_Record #%d, ClipID=%d, Start=%d, End=%d,\r\n", record++, clipId(n),
                   Frames(f->start), Frames(f->end)) ||
          !WriteBand(out, *f, lineFactor))
        return false;
    }
    if (!out.Put("\t\t],\r\n")) return false;
  }
  if (!out.Put("\t],\r\n")) return false;

  std::unordered_map<const void*, const EdlFileRecord*> ofVideo, ofAudio;
  for (const EdlFileRecord* r = videoFiles; r; r = r->next) ofVideo.emplace(r->video, r);
  for (const EdlFileRecord* r = audioFiles; r; r = r->next) ofAudio.emplace(r->audio, r);
  if (!out.Put("\t[Clips,\r\n")) return false;
  for (int32_t n = 0; n < static_cast<int32_t>(all.size()); ++n) {
    const Film* f = all[n];
    const EdlFileRecord* r = nullptr;
    if (f->video) {
      auto it = ofVideo.find(f->video);
      if (it != ofVideo.end()) r = it->second;
    } else if (f->audio) {
      auto it = ofAudio.find(f->audio);
      if (it != ofAudio.end()) r = it->second;
    }
    if (r == nullptr) continue;
    if (!out.Put("\t\t[ClipID #%d,FileID=%d,In=%d,Out=%d],\r\n", clipId(n), r->id, Frames(f->in), Frames(f->out)))
      return false;
  }
  if (!out.Put("\t],\r\n")) return false;

  const int32_t rate = static_cast<int32_t>(OutputFormat.nSamplesPerSec);
  if (!out.Put("\t[Files,\r\n")) return false;
  for (const EdlFileRecord* r = videoFiles; r; r = r->next) {
    if (r->video == nullptr || used.count(r->video) == 0) continue;
    int32_t width = 0, height = 0, depth = 24;
    PictureFormat(r->video, width, height, depth);
    const int32_t ms = FramesToMs(r->video->GetFrameCount(), r->video->GetFrameRate());
    if (!out.Put("\t\t[FileID #%d,\r\n", r->id) || !out.PutName(r->name ? r->name : "") ||
        !out.Put("\t\t\t[Num_Frames=%d],\r\n", Frames(ms)) ||
        !out.Put("\t\t\t[Video,Width=%d,Height=%d,Depth=%d],\r\n", width, height, depth) ||
        (r->audio != nullptr && !out.Put("\t\t\t[Audio,Rate=%d],\r\n", rate)) || !out.Put("\t\t],\r\n"))
      return false;
  }
  for (const EdlFileRecord* r = audioFiles; r; r = r->next) {
    if (r->video != nullptr || r->audio == nullptr || used.count(r->audio) == 0) continue;
    if (!out.Put("\t\t[FileID #%d,\r\n", r->id) || !out.PutName(r->name ? r->name : "") ||
        !out.Put("\t\t\t[Num_Frames=%d],\r\n", Frames(r->audio->GetLength())) ||
        !out.Put("\t\t\t[Audio,Rate=%d],\r\n", rate) || !out.Put("\t\t],\r\n"))
      return false;
  }
  return out.Put("\t],\r\n") && out.Put("]\r\n") && std::fflush(file) == 0;
}

}  // namespace

bool WriteEdl(std::FILE* file, const TimeLineEngine& engine, const FilmListHead& films,
              const EdlFileRecord* videoFiles, const EdlFileRecord* audioFiles) {
  try {
    return WriteLines(file, engine, films, videoFiles, audioFiles);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
