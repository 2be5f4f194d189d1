#include "ui/te_file_dialogs.h"

#include <cstring>
#include <memory>

#include "model/project_file.h"
#include "platform/gui/gui.h"
#include "resources/resource_ids.h"
#include "resources/resources.h"
#include "ui/clip_open_dialog.h"
#include "ui/owner_window.h"

namespace {

ExportTypeChooser g_exportTypeChooser;

class DialogFileChooser : public FileChooser {
 public:
  ChooserResult Run(FileChooserKind kind, HWND parent, const FileData& data, const char* title,
                    HWND addTarget, FileChoice& choice) override {
    OwnerWindow owner(parent);
    // The dialog runs on a copy: only a choice reaches the caller's record.
    FileData record = data;
    record.Error = 0;
    std::unique_ptr<TOpenSaveDialog> dialog;
    switch (kind) {
      case FileChooserKind::kOpen:
        dialog = std::make_unique<TEFileOpenDialog>(owner.Get(), record, title);
        break;
      case FileChooserKind::kClipOpen:
        dialog = std::make_unique<TClipOpenDialog>(owner.Get(), record, addTarget);
        break;
      case FileChooserKind::kSave:
        dialog = std::make_unique<TEFileSaveDialog>(owner.Get(), record, title);
        break;
      case FileChooserKind::kSave32Audio:
        dialog = std::make_unique<TSave32AudioDialog>(owner.Get(), record, title);
        break;
    }
    if (!dialog) return ChooserResult::kFailed;
    const int result = dialog->Execute();
    dialog.reset();
    if (result == IDOK) {
      std::memcpy(choice.fileName, record.FileName, sizeof choice.fileName);
      choice.fileName[MAX_PATH - 1] = '\0';
      choice.filterIndex = record.FilterIndex;
      return ChooserResult::kOk;
    }
    return result < 0 || record.Error != 0 ? ChooserResult::kFailed : ChooserResult::kCancel;
  }
};

DialogFileChooser g_chooser;

}  // namespace

TEFileOpenDialog::TEFileOpenDialog(TWindow* parent, FileData& data, const char* title, TResId templateId)
    : TFileOpenDialog(parent, data, templateId, title) {
  RegisterProgramResources();
}

TEFileSaveDialog::TEFileSaveDialog(TWindow* parent, FileData& data, const char* title, TResId templateId)
    : TFileSaveDialog(parent, data, templateId, title) {
  RegisterProgramResources();
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TSave32AudioDialog, TEFileSaveDialog)
  EV_COMMAND(kExportOptions, CmOptions),
END_RESPONSE_TABLE;
// clang-format on

TSave32AudioDialog::TSave32AudioDialog(TWindow* parent, FileData& data, const char* title)
    : TEFileSaveDialog(parent, data, title, kSave32AudioPanel) {}

void TSave32AudioDialog::SetupWindow() {
  TEFileSaveDialog::SetupWindow();
  const WPARAM font = static_cast<WPARAM>(SendMessage(WM_GETFONT));
  for (int id : {kExportFormatText, kExportOptions}) {
    if (HWND item = GetDlgItem(id)) ::SendMessage(item, WM_SETFONT, font, 0);
  }
  ShowFormat();
}

void TSave32AudioDialog::CmOptions() {
  if (!g_exportTypeChooser) return;
  HWND chooser = GetChooser();
  if (g_exportTypeChooser(chooser != nullptr ? chooser : HWindow, &ExportAudioType())) ShowFormat();
}

void TSave32AudioDialog::ShowFormat() {
  ::SetDlgItemText(HWindow, kExportFormatText, CurrentExportFormatText().c_str());
}

int& ExportAudioType() {
  static int type = 0;
  return type;
}

int& AdvancedAudioType() {
  static int type = 4;
  return type;
}

std::string CurrentExportFormatText() {
  const ProjectAudioFormat format = CurrentProjectEnvironment().AudioFormat();
  return ExportAudioFormatText(ExportAudioType(), static_cast<int>(format.sampleCode), format.rate,
                               format.channels);
}

ExportTypeChooser SetExportTypeChooser(ExportTypeChooser chooser) {
  ExportTypeChooser before = std::move(g_exportTypeChooser);
  g_exportTypeChooser = std::move(chooser);
  return before;
}

void InstallFileChooser() {
  SetFileChooser(&g_chooser);
}
