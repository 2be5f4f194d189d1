#include "ui/tool_configure_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "model/path_record.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/setup_dialog_ids.h"
#include "ui/file_dialogs.h"
#include "ui/owner_window.h"

namespace {

// The base rows by role, in the order of the caller's buffers.
const int kBasePathIds[kToolBaseCount] = {kToolVolumePath, kToolVideoPath, kToolMidiPath, kToolAudioPath};
const int kBaseClipIds[kToolBaseCount] = {kToolVolumeClip, kToolVideoClip, kToolMidiClip, kToolAudioClip};
const int kBaseBrowseIds[kToolBaseCount] = {kToolVolumeBrowse, kToolVideoBrowse, kToolMidiBrowse,
                                            kToolAudioBrowse};
// Only the editors are handed the clip's file.
const bool kBaseTakesClip[kToolBaseCount] = {false, true, true, true};

// A program's name: its file name without folder and extension.
std::string ToolName(const std::string& path) {
  PathParts parts;
  SplitPath(parts, path.c_str());
  return path.substr(static_cast<std::size_t>(parts.name), static_cast<std::size_t>(parts.nameLength));
}

void CopyText(char* to, std::size_t size, const std::string& text) {
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(to, text.data(), n);
  to[n] = '\0';
}

}  // namespace

FileData& ToolsFileData() {
  // Programs here carry no ".exe": a chosen program keeps its name as it is
  // (an extension from the filter would name a file that is not there).
  static FileData record("Utilities (*)|*|", "");
  return record;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(ToolConfigureDialog, TEDialog)
  EV_COMMAND_AND_ID(kToolVolumeBrowse, CmBrowse),
  EV_COMMAND_AND_ID(kToolVideoBrowse, CmBrowse),
  EV_COMMAND_AND_ID(kToolMidiBrowse, CmBrowse),
  EV_COMMAND_AND_ID(kToolAudioBrowse, CmBrowse),
  EV_COMMAND_AND_ID(ToolExtraBrowse(0), CmBrowse),
  EV_COMMAND_AND_ID(ToolExtraBrowse(1), CmBrowse),
  EV_COMMAND_AND_ID(ToolExtraBrowse(2), CmBrowse),
  EV_COMMAND_AND_ID(ToolExtraBrowse(3), CmBrowse),
  EV_COMMAND_AND_ID(ToolExtraBrowse(4), CmBrowse),
END_RESPONSE_TABLE;
// clang-format on

ToolConfigureDialog::ToolConfigureDialog(TWindow* parent, char (*basePaths_)[MAX_PATH],
                                         char (*extraPaths_)[MAX_PATH], char (*extraNames_)[kToolNameSize],
                                         bool* extraClip_)
    : TEDialog(parent, kToolConfigureDialog),
      basePaths(basePaths_),
      extraPaths(extraPaths_),
      extraNames(extraNames_),
      extraClip(extraClip_) {
  for (int i = 0; i < kToolBaseCount; ++i) {
    basePath[i] = new TEdit(this, kBasePathIds[i], MAX_PATH);
    baseClip[i] = new TCheckBox(this, kBaseClipIds[i]);
  }
  for (int r = 0; r < kToolExtraCount; ++r) {
    extraName[r] = new TEdit(this, ToolExtraName(r), kToolNameSize);
    extraPath[r] = new TEdit(this, ToolExtraPath(r), MAX_PATH);
    extraClipBox[r] = new TCheckBox(this, ToolExtraClip(r));
  }
}

void ToolConfigureDialog::SetupWindow() {
  TEDialog::SetupWindow();
  for (int i = 0; i < kToolBaseCount; ++i) {
    if (basePaths != nullptr)
      basePath[i]->SetText(std::string(basePaths[i], strnlen(basePaths[i], MAX_PATH)).c_str());
    baseClip[i]->SetCheck(kBaseTakesClip[i] ? TCheckBox::Checked : TCheckBox::Unchecked);
  }
  for (int r = 0; r < kToolExtraCount; ++r) {
    if (extraNames != nullptr)
      extraName[r]->SetText(std::string(extraNames[r], strnlen(extraNames[r], kToolNameSize)).c_str());
    if (extraPaths != nullptr)
      extraPath[r]->SetText(std::string(extraPaths[r], strnlen(extraPaths[r], MAX_PATH)).c_str());
    if (extraClip != nullptr)
      extraClipBox[r]->SetCheck(extraClip[r] ? TCheckBox::Checked : TCheckBox::Unchecked);
  }
}

void ToolConfigureDialog::CmBrowse(WPARAM id) {
  TEdit* path = nullptr;
  TEdit* name = nullptr;
  for (int i = 0; i < kToolBaseCount; ++i)
    if (static_cast<int>(id) == kBaseBrowseIds[i]) path = basePath[i];
  for (int r = 0; r < kToolExtraCount; ++r)
    if (static_cast<int>(id) == ToolExtraBrowse(r)) {
      path = extraPath[r];
      name = extraName[r];
    }
  if (path == nullptr) return;
  FileData& record = ToolsFileData();
  CopyText(record.FileName, sizeof record.FileName, path->GetText());
  if (!AskOpenFile(record, HWindow, GetString(ui_string::kApplicationFileName))) return;
  path->SetText(record.FileName);
  if (name != nullptr) name->SetText(ToolName(record.FileName).c_str());
}

bool ToolConfigureDialog::CanClose() {
  if (basePaths != nullptr)
    for (int i = 0; i < kToolBaseCount; ++i) CopyText(basePaths[i], MAX_PATH, basePath[i]->GetText());
  for (int r = 0; r < kToolExtraCount; ++r) {
    std::string name = extraName[r]->GetText();
    const std::string path = extraPath[r]->GetText();
    if (!path.empty() && name.empty()) name = ToolName(path);
    if (extraNames != nullptr) CopyText(extraNames[r], kToolNameSize, name);
    if (extraPaths != nullptr) CopyText(extraPaths[r], MAX_PATH, path);
    if (extraClip != nullptr) extraClip[r] = extraClipBox[r]->GetCheck() == TCheckBox::Checked;
  }
  return true;
}

bool RunToolConfigureDialog(HWND parent, char (*basePaths)[MAX_PATH], char (*extraPaths)[MAX_PATH],
                            char (*extraNames)[kToolNameSize], bool* extraClip) {
  OwnerWindow owner(parent);
  ToolConfigureDialog dialog(owner.Get(), basePaths, extraPaths, extraNames, extraClip);
  return dialog.Execute() == IDOK;
}
