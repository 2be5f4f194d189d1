#include "clip_frame_fixture.h"

#include <cstdio>

#include "media/video_bitmap.h"
#include "model/ini.h"
#include "model/time_code.h"
#include "platform/core/profile.h"
#include "platform/gui/gui.h"
#include "resources/resources.h"
#include "support/file_bytes.h"
#include "support/wave_formats.h"

namespace clipframetest {

namespace {

void Put16(std::vector<unsigned char>& b, unsigned v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
void Put32(std::vector<unsigned char>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void PutTag(std::vector<unsigned char>& b, const char* tag) {
  b.insert(b.end(), tag, tag + 4);
}

void ResetCollectionRecord() {
  CollectionFileData().FileName[0] = '\0';
  CollectionFileData().Directory[0] = '\0';
}

}  // namespace

WAVEFORMATEX CdOutput::OutputFormat() {
  return StereoCdFormat();
}

void WriteWave(const std::string& path, int ms) {
  const uint32_t frames = static_cast<uint32_t>(44100LL * ms / 1000);
  std::vector<unsigned char> file;
  PutTag(file, "RIFF");
  Put32(file, 4 + 8 + 16 + 8 + frames * 4);
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  Put32(file, 16);
  Put16(file, 1);
  Put16(file, 2);
  Put32(file, 44100);
  Put32(file, 44100 * 4);
  Put16(file, 4);
  Put16(file, 16);
  PutTag(file, "data");
  Put32(file, frames * 4);
  for (uint32_t f = 0; f < frames; ++f) {
    Put16(file, (f * 37) & 0x3FFF);
    Put16(file, (f * 53) & 0x3FFF);
  }
  WriteFileBytes(path, file);
}

void ClipFrameTest::SetUp() {
  ASSERT_TRUE(home_.ok());
  ASSERT_TRUE(media_.ok());
  RegisterProgramResources();
  static TEBitmapInit* bitmaps = new TEBitmapInit;
  (void)bitmaps;
  TEBitmapInit::LoadStockBitmaps(nullptr);
  SetProjectFrameRate(25.0f);
  SetProjectTimeFormat(kTimeFormatMs);
  ResetCollectionRecord();
  savedShell_ = SetCollectionShell(&frameShell_);
  // Where the frame goes when the settings say nothing else.
  Ini("X", "20");
  Ini("Y", "20");
  Ini("W", "900");
  Ini("H", "400");
  Ini("AUTO_SORT", "0");
}

void ClipFrameTest::TearDown() {
  CloseFrame();
  SetCollectionShell(savedShell_);
  ResetCollectionRecord();
  GuiPumpMessages();
}

TClipFrame& ClipFrameTest::Show(bool load, bool commandLine) {
  frame_ = ShowClipFrame(frame_, app_, nullptr, load, commandLine);
  EXPECT_NE(frame_, nullptr);
  frameShell_.frame = frame_;
  GuiPumpMessages();
  return *frame_;
}

void ClipFrameTest::CloseFrame() {
  if (frame_ == nullptr) return;
  frameShell_.frame = nullptr;
  if (frame_->IsWindow()) frame_->Destroy();
  GuiPumpMessages();
  delete frame_;
  frame_ = nullptr;
  GuiPumpMessages();
}

std::string ClipFrameTest::Wave(const std::string& name, int ms) {
  const std::string path = Media(name);
  WriteWave(path, ms);
  return path;
}

void ClipFrameTest::Add(const std::string& path) {
  EXPECT_TRUE(Collection().AddFile(path.c_str(), -1, 0)) << path;
  GuiPumpMessages();
}

bool ClipFrameTest::Enabled(int id) {
  TCommandEnabler enabler(static_cast<UINT>(id), frame_->GetHandle());
  frame_->EvCommandEnable(enabler);
  return enabler.IsEnabled();
}

std::string ClipFrameTest::Caption() const {
  char text[512] = {};
  GetWindowText(frame_->GetHandle(), text, sizeof text);
  return text;
}

std::vector<std::string> ClipFrameTest::Names() const {
  std::vector<std::string> names;
  ClipCollection* c = frame_->Collection();
  for (int i = 0; i < c->TileCount(); ++i) names.push_back(c->Tile(i)->clip.name);
  return names;
}

std::vector<std::string> ClipFrameTest::FileMenu() const {
  HMENU file = GetSubMenu(GetMenu(frame_->GetHandle()), 0);
  std::vector<std::string> items;
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    char text[MAX_PATH] = {};
    GetMenuString(file, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items.push_back(text);
  }
  return items;
}

void ClipFrameTest::Ini(const char* key, const char* value) {
  WritePrivateProfileString(kCollectionSection, key, value, kIniFileName);
}

std::string ClipFrameTest::IniValue(const char* key) {
  char text[MAX_PATH] = {};
  GetPrivateProfileString(kCollectionSection, key, "<none>", text, sizeof text, kIniFileName);
  return text;
}

}  // namespace clipframetest
