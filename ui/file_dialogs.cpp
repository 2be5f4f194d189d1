#include "ui/file_dialogs.h"

#include <cstring>
#include <vector>

#include "model/message_box.h"
#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/core/paths.h"

namespace {

FileChooser* g_chooser = nullptr;
void (*g_commandSwitch)(bool) = nullptr;

// Longest path that still takes an extension.
constexpr size_t kExtensionLimit = 255;

void CopyCut(char* out, const char* text) {
  const size_t n = text ? strnlen(text, MAX_PATH - 1) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = '\0';
}

// Where the file name of path begins: after its last separator or colon.
size_t NameStart(const char* path) {
  size_t start = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsPathSeparator(path[i]) || path[i] == ':') start = i + 1;
  }
  return start;
}

std::vector<std::string> FilterEntries(const std::string& filter) {
  std::vector<std::string> out;
  size_t begin = 0;
  for (size_t bar; (bar = filter.find('|', begin)) != std::string::npos; begin = bar + 1) {
    out.push_back(filter.substr(begin, bar - begin));
  }
  if (begin < filter.size()) out.push_back(filter.substr(begin));
  return out;
}

void SwitchCommands(bool enabled) {
  if (g_commandSwitch) g_commandSwitch(enabled);
}

ChooserResult RunChooser(FileChooserKind kind, HWND parent, const FileData& data, const char* title,
                         HWND addTarget, FileChoice& choice) {
  if (!g_chooser) return ChooserResult::kCancel;
  return g_chooser->Run(kind, parent, data, title, addTarget, choice);
}

// Takes a choice into the record: name, folder, filter, extension.
void TakeChoice(FileData& data, const FileChoice& choice) {
  CopyCut(data.FileName, choice.fileName);
  data.SetDirectory(data.FileName);
  data.FilterIndex = choice.filterIndex;
  AddDefaultExtension(data.FileName, data.Filter, data.FilterIndex);
}

bool AskSave(FileChooserKind kind, FileData& data, HWND parent, const char* title) {
  data.Flags = (data.Flags & ~OFN_FILEMUSTEXIST) | OFN_NOREADONLYRETURN;
  FileChoice choice;
  const ChooserResult result = RunChooser(kind, parent, data, title, nullptr, choice);
  data.Flags = (data.Flags | OFN_FILEMUSTEXIST) & ~OFN_NOREADONLYRETURN;
  if (result != ChooserResult::kOk) return false;
  TakeChoice(data, choice);
  return true;
}

}  // namespace

FileData::FileData(const char* filter, const char* defExt) : TData(kFileDataFlags, filter, nullptr, defExt, 0) {
  InitialDir = Directory;
}

FileData::FileData(const FileData& other) : TData(other) {
  std::memcpy(Directory, other.Directory, sizeof Directory);
  InitialDir = Directory;
}

FileData& FileData::operator=(const FileData& other) {
  if (this == &other) return *this;
  TData::operator=(other);
  std::memcpy(Directory, other.Directory, sizeof Directory);
  InitialDir = Directory;
  return *this;
}

void FileData::SetDirectory(const char* path) {
  CopyCut(Directory, path);
  const size_t start = NameStart(Directory);
  size_t end = start;
  // The folder keeps no trailing separator, except the root's own.
  if (start > 1 && IsPathSeparator(Directory[start - 1])) end = start - 1;
  Directory[end] = '\0';
}

FileData& MediaFileData(MediaFileKind kind) {
  static FileData records[kMediaFileKinds] = {
      {GetString(ui_string::kClipFilesFilter), "wav"},     {GetString(ui_string::kAviFilesFilter), "avi"},
      {GetString(ui_string::kWaveFilesFilter), "wav"},     {GetString(ui_string::kAiffFilesFilter), "aif"},
      {GetString(ui_string::kRealAudioFilesFilter), "ra"}, {GetString(ui_string::kMidiFilesFilter), "mid"},
      {GetString(ui_string::kMpegFilesFilter), "mpg"},
  };
  return records[kind];
}

FileChooser* SetFileChooser(FileChooser* chooser) {
  FileChooser* before = g_chooser;
  g_chooser = chooser;
  return before;
}

void SetTimeLineCommandSwitch(void (*enable)(bool enabled)) {
  g_commandSwitch = enable;
}

void AddDefaultExtension(char* path, const std::string& filter, int filterIndex) {
  // Only the file name counts: folders may hold dots.
  if (std::strchr(path + NameStart(path), '.')) return;
  const size_t length = std::strlen(path);
  if (length >= kExtensionLimit) return;
  const std::vector<std::string> entries = FilterEntries(filter);
  const size_t pair = filterIndex > 0 ? static_cast<size_t>(filterIndex) - 1 : 0;
  if (pair * 2 + 1 >= entries.size()) return;
  const std::string& pattern = entries[pair * 2 + 1];
  const size_t dot = pattern.find('.');
  if (dot == std::string::npos) return;
  std::string ext = "." + pattern.substr(dot + 1);
  ext.resize(ext.find_first_of("*?;") == std::string::npos ? ext.size() : ext.find_first_of("*?;"));
  if (length + ext.size() > MAX_PATH - 1) return;
  std::memcpy(path + length, ext.c_str(), ext.size() + 1);
}

bool AskOpenFile(FileData& data, HWND parent, const char* title) {
  FileChoice choice;
  if (RunChooser(FileChooserKind::kOpen, parent, data, title, nullptr, choice) != ChooserResult::kOk) return false;
  TakeChoice(data, choice);
  return true;
}

bool AskSaveFile(FileData& data, HWND parent, const char* title) {
  return AskSave(FileChooserKind::kSave, data, parent, title);
}

bool AskSave32Audio(FileData& data, HWND parent, const char* title) {
  return AskSave(FileChooserKind::kSave32Audio, data, parent, title);
}

bool AskOpenClip(HWND parent, HWND addTarget) {
  FileData& clips = MediaFileData(kClipFiles);
  SwitchCommands(false);
  FileChoice choice;
  const ChooserResult result = RunChooser(FileChooserKind::kClipOpen, parent, clips,
                                          GetString(ui_string::kOpenClip), addTarget, choice);
  if (result == ChooserResult::kFailed) CurrentMessageBoxPresenter().Beep(MB_ICONEXCLAMATION);
  SwitchCommands(true);
  if (result != ChooserResult::kOk) return false;
  CopyCut(clips.FileName, choice.fileName);
  clips.FilterIndex = choice.filterIndex;
  AddDefaultExtension(clips.FileName, clips.Filter, clips.FilterIndex);
  SetFileDialogsDirectory(clips.FileName, choice.filterIndex);
  return true;
}

void SetFileDialogsDirectory(const char* path, int filterIndex) {
  SetClipFilterIndex(filterIndex);
  for (MediaFileKind kind :
       {kClipFiles, kAviFiles, kWaveFiles, kMidiFiles, kAiffFiles, kRealAudioFiles, kMpegFiles}) {
    MediaFileData(kind).SetDirectory(path);
  }
}

void SetClipFilterIndex(int filterIndex) {
  if (filterIndex >= 0) MediaFileData(kClipFiles).FilterIndex = filterIndex;
}

std::string ExportAudioFormatText(int exportType, int projectType, DWORD rate, int channels) {
  const int type = exportType == 0 ? projectType : exportType;
  const char* bits = type >= 1 && type <= 7 ? GetString(ui_string::kSampleSize8Bit + type - 1)
                                            : GetString(ui_string::kSampleSizeUnknown);
  return FormatText(GetString(ui_string::kExportAudioFormat),
                    GetString(type == 7 ? ui_string::kType3 : ui_string::kWindowsPcm),
                    static_cast<int32_t>(rate),
                    GetString(channels == 1 ? ui_string::kMono : ui_string::kStereo), bits);
}
