#include "audio/effect_list_file.h"

#include <cstring>
#include <memory>
#include <new>

#include "audio/effect_blocks.h"
#include "audio/effect_list.h"
#include "audio/installed_components.h"
#include "model/message_box.h"
#include "model/ui_strings.h"

namespace {

using namespace effect_blocks;

EffectListFileQuestion* file_question = nullptr;

constexpr char kEffectListExtension[] = "fxl";

bool SeekTo(HMMIO file, LONGLONG position) {
  return mmioSeek64(file, position, SEEK_SET) == position;
}

// The head of the next block among size bytes of blocks; the block must fit
// in what is left, which then no longer counts it.
int NextBlock(HMMIO file, LONG* size, DWORD* id, LONG* blockSize) {
  if (*size < 8) return kErrInvalidFormat;
  if (ReadHead(file, id, blockSize) != 8) return kErrRead;
  if (*blockSize < 0 || *blockSize > *size - 8 || IsBlankRecord(*id, *blockSize)) return kErrInvalidFormat;
  *size -= 8 + *blockSize;
  return kErrOk;
}

}  // namespace

EffectListFileQuestion* SetEffectListFileQuestion(EffectListFileQuestion* question) {
  EffectListFileQuestion* before = file_question;
  file_question = question;
  return before;
}

// ---- Effect ----

bool Effect::Write(HMMIO file) {
  BYTE id[kGuidByteSize];
  GuidToBytes(clsid, id);
  if (!WriteHead(file, kEffectClassBlock, kGuidByteSize) || !WriteBytes(file, id, kGuidByteSize))
    return false;

  // A live component's state is saved fresh; when that fails, the stored one.
  const BYTE* bytes = state.get();
  LONG size = stateSize;
  std::unique_ptr<BYTE[]> fresh;
  if (component != nullptr) {
    const LONG freshSize = component->GetStateSize(0);
    if (freshSize >= 1) {
      fresh.reset(new (std::nothrow) BYTE[freshSize]);
      if (fresh && component->SaveState(fresh.get(), freshSize) != 0) {
        bytes = fresh.get();
        size = freshSize;
      }
    }
  }
  if (size > 0 && bytes != nullptr) {
    if (!WriteHead(file, kEffectStateBlock, size) || !WriteBytes(file, bytes, size)) return false;
  }
  const LONG nameSize = static_cast<LONG>(strnlen(name, kEffectNameSize - 1)) + 1;
  return WriteHead(file, kEffectNameBlock, nameSize) && WriteBytes(file, name, nameSize - 1) &&
         WriteBytes(file, "", 1);
}

Effect::Effect(HMMIO file, LONG size, int* error) {
  int result = kErrOk;
  bool haveClass = false;
  while (size >= 1 && result == kErrOk) {
    DWORD id = 0;
    LONG blockSize = 0;
    result = NextBlock(file, &size, &id, &blockSize);
    if (result != kErrOk) break;
    switch (id) {
      case kEffectClassBlock: {
        BYTE bytes[kGuidByteSize];
        if (blockSize != kGuidByteSize)
          result = kErrInvalidFormat;
        else if (!ReadExact(file, bytes, kGuidByteSize))
          result = kErrRead;
        else {
          clsid = GuidFromBytes(bytes);
          haveClass = true;
        }
        break;
      }
      case kEffectStateBlock: {
        if (blockSize == 0) break;
        // A size the file cannot hold is a cut file, not a reason to
        // allocate.
        if (blockSize > BytesLeft(file)) {
          result = kErrRead;
          break;
        }
        std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[blockSize]);
        if (!bytes) {
          result = kErrNoMemory;
        } else if (!ReadExact(file, bytes.get(), blockSize)) {
          result = kErrRead;
        } else {
          state = std::move(bytes);
          stateSize = blockSize;
        }
        break;
      }
      case kEffectNameBlock:
        if (blockSize >= 1 && blockSize <= kEffectNameSize) {
          char text[kEffectNameSize] = {};
          if (!ReadExact(file, text, blockSize)) {
            result = kErrRead;
          } else {
            text[kEffectNameSize - 1] = '\0';  // a full-length name may lack its NUL
            std::memcpy(name, text, kEffectNameSize);
          }
          break;
        }
        [[fallthrough]];
      default:
        if (mmioSeek64(file, blockSize, SEEK_CUR) < 0) result = kErrRead;
        break;
    }
  }
  if (result == kErrOk && !haveClass) result = kErrInvalidFormat;
  if (error != nullptr) *error = result;
}

// ---- EffectList ----

bool EffectList::Write(HMMIO file) {
  for (Effect* e = first; e != nullptr; e = e->next) {
    if (!WritePatched(file, kEffectBlock, [e](HMMIO f) { return e->Write(f); })) return false;
  }
  return WriteHead(file, kEffectEnabledBlock, 4) && WriteU32(file, bypass != 0 ? 0 : 1);
}

EffectList* EffectList::Read(HMMIO file, LONG size, int* error) {
  int result = kErrOk;
  // A body said to run past the file is a cut file: nothing is made for it.
  if (size > BytesLeft(file)) {
    if (error != nullptr) *error = kErrRead;
    return nullptr;
  }
  EffectList* list = New();
  if (list == nullptr) {
    if (error != nullptr) *error = kErrNoMemory;
    return nullptr;
  }
  Effect* last = nullptr;  // appending after it needs no walk along the chain
  while (size >= 1 && result == kErrOk) {
    DWORD id = 0;
    LONG blockSize = 0;
    result = NextBlock(file, &size, &id, &blockSize);
    if (result != kErrOk) break;
    const LONGLONG start = Tell(file);
    if (start < 0) {
      result = kErrRead;
      break;
    }
    if (id == kEffectBlock) {
      int effectError = kErrOk;
      Effect* effect = new (std::nothrow) Effect(file, blockSize, &effectError);
      if (effect == nullptr) {
        result = kErrNoMemory;
      } else if (effectError != kErrOk) {
        delete effect;
        result = effectError;
      } else {
        list->Insert(effect, last);
        last = effect;
      }
    } else if (id == kEffectEnabledBlock) {
      BYTE value[4];
      if (blockSize != 4)
        result = kErrInvalidFormat;
      else if (!ReadExact(file, value, 4))
        result = kErrRead;
      else
        list->bypass = GetLe32(value) == 0 ? 1 : 0;
    }
    if (result == kErrOk && !SeekTo(file, start + blockSize)) result = kErrRead;
  }
  if (error != nullptr) *error = result;
  if (list->first == nullptr) {
    list->Release();
    return nullptr;
  }
  return list;
}

bool EffectList::WriteFile(HMMIO file) {
  if (mmioWrite(file, kEffectListFileHeader, kEffectListFileHeaderSize) != kEffectListFileHeaderSize)
    return false;
  if (!WritePatched(file, kEffectListBodyBlock, [this](HMMIO f) { return Write(f); })) return false;
  return CComObjectInfo::WriteList(file);
}

int EffectList::ReadFile(HMMIO file, EffectList** list, ComObjectEntry** missing) {
  if (list != nullptr) *list = nullptr;
  char header[kEffectListFileHeaderSize];
  if (mmioRead(file, header, kEffectListFileHeaderSize) != kEffectListFileHeaderSize) return kErrRead;
  if (std::memcmp(header, kEffectListFileHeader, kEffectListFileHeaderSize) != 0) return kErrInvalidFormat;

  int result = kErrOk;
  EffectList* read = nullptr;
  while (result == kErrOk) {
    DWORD id = 0;
    LONG size = 0;
    const LONG got = ReadHead(file, &id, &size);
    if (got == 0) break;
    if (got != 8) {
      result = kErrRead;
      break;
    }
    if (size < 0 || IsBlankRecord(id, size)) {
      result = kErrInvalidFormat;
      break;
    }
    if (size > BytesLeft(file)) {
      result = kErrRead;
      break;
    }
    const LONGLONG start = Tell(file);
    if (id == kEffectListBodyBlock) {
      int bodyError = kErrOk;
      EffectList* body = Read(file, size, &bodyError);
      if (body != nullptr && bodyError != kErrOk) {
        body->Release();
        body = nullptr;
      }
      if (read != nullptr) read->Release();  // a second body replaces the first
      read = body;
      result = bodyError;
    } else if (id == kComponentListRecord && missing != nullptr) {
      result = CComObjectInfo::ReadList(file, size, missing);
    }
    if (result == kErrOk && !SeekTo(file, start + size)) result = kErrRead;
  }
  if (list != nullptr)
    *list = read;
  else if (read != nullptr)
    read->Release();
  return result;
}

void EffectList::SaveFile(HWND parent, const char* title) {
  std::string path;
  if (file_question == nullptr ||
      !file_question->AskFileName(parent, title, true, GetString(ui_string::kEffectListFilter),
                                  kEffectListExtension, &path))
    return;
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
  if (file == nullptr) {
    ErrorBox(parent, kErrOpen, title, path);
    return;
  }
  if (mmioSeek(file, 0, SEEK_SET) != 0 || !WriteFile(file)) ErrorBox(parent, kErrWrite, title, path);
  mmioClose(file, 0);
}

EffectList* EffectList::LoadFile(HWND parent, const char* title, ComObjectEntry** missing) {
  std::string path;
  if (file_question == nullptr ||
      !file_question->AskFileName(parent, title, false, GetString(ui_string::kEffectListFilter),
                                  kEffectListExtension, &path))
    return nullptr;
  HMMIO file = mmioOpen(path.c_str(), nullptr, MMIO_READ);
  if (file == nullptr) {
    ErrorBox(parent, kErrOpen, title, path);
    return nullptr;
  }
  EffectList* list = nullptr;
  int error = mmioSeek(file, 0, SEEK_SET) == 0 ? ReadFile(file, &list, missing) : kErrRead;
  ErrorBox(parent, error, title, path);
  mmioClose(file, 0);
  if (list != nullptr && error != kErrOk) {
    list->Release();
    list = nullptr;
  }
  return list;
}
