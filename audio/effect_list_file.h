// The list body of an EffectList and the effect-list file (".fxl").
//
// Blocks are {u32 id, i32 size} and size bytes, little-endian. The file is
// the 35 bytes "Audio Effect List (c) Firm Tarnlex" with its NUL, block 600
// holding the list body, then block 621, the installed components of the
// machine that wrote it (installed_components.h). The body is one block 601
// per effect in chain order, then {603, 4, u32 1 enabled / 0 bypassed}. An
// effect's 601 holds 611 (16 bytes, its class id), 612 (its saved state,
// when it has one) and 613 (its name and NUL, 1 to 128 bytes).
//
// Every size is checked against its parent block and the file: a block that
// runs past its parent gives 6, one that runs past the end of the file 19.
#pragma once

#include <string>

#include "platform/core/types.h"

constexpr char kEffectListFileHeader[] = "Audio Effect List (c) Firm Tarnlex";
constexpr LONG kEffectListFileHeaderSize = 35;
static_assert(sizeof kEffectListFileHeader == kEffectListFileHeaderSize);

constexpr DWORD kEffectListBodyBlock = 600;
constexpr DWORD kEffectBlock = 601;
constexpr DWORD kEffectEnabledBlock = 603;
constexpr DWORD kEffectClassBlock = 611;
constexpr DWORD kEffectStateBlock = 612;
constexpr DWORD kEffectNameBlock = 613;

// The file-name question behind the effect-list dialog's Save and Load: the
// file dialogs install theirs; tests script one. Without one every question
// is cancelled.
class EffectListFileQuestion {
 public:
  virtual ~EffectListFileQuestion() = default;
  // Asks for a file to write (save) or to read; true with its path when the
  // user chose one.
  virtual bool AskFileName(HWND parent, const char* title, bool save, const char* filter,
                           const char* defaultExtension, std::string* path) = 0;
};

// Installs question (null: none); returns the one before.
EffectListFileQuestion* SetEffectListFileQuestion(EffectListFileQuestion* question);
