#include "platform/core/registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"

namespace {

// A registry file beyond this size is not read.
constexpr size_t kMaxRegistrySize = 16 * 1024 * 1024;

struct Value {
  std::string name;  // "" for the default value
  DWORD type = REG_NONE;
  std::string data;  // REG_SZ: the text; REG_DWORD: 4 bytes little-endian
};

// Keys deeper than this below their root are a malformed line: nothing
// real nests so far, and a hand-edited file could nest without end.
constexpr size_t kMaxKeyDepth = 512;

struct Key {
  std::string name;
  std::vector<Value> values;
  std::vector<std::unique_ptr<Key>> children;  // sorted by name, ignoring case, once loaded
  // While the file is read: children and values by their lower-case names.
  std::unordered_map<std::string, Key*> childIndex;
  std::unordered_map<std::string, size_t> valueIndex;

  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  // Frees the subtree without recursion, however deep it is.
  ~Key() {
    std::vector<std::unique_ptr<Key>> pending = std::move(children);
    while (!pending.empty()) {
      std::unique_ptr<Key> key = std::move(pending.back());
      pending.pop_back();
      for (auto& child : key->children) pending.push_back(std::move(child));
      key->children.clear();
    }
  }

  Key* Child(std::string_view childName) const {
    const auto at = std::lower_bound(children.begin(), children.end(), childName,
                                     [](const auto& a, std::string_view b) { return CompareNoCase(a->name, b) < 0; });
    return at != children.end() && EqualNoCase((*at)->name, childName) ? at->get() : nullptr;
  }
  // While loading: children keep the file's order until Sort.
  Key* AddChild(std::string_view childName) {
    Key*& slot = childIndex[LowerAscii(childName)];
    if (slot != nullptr) return slot;
    auto child = std::make_unique<Key>();
    child->name = std::string(childName);
    slot = child.get();
    children.push_back(std::move(child));
    return slot;
  }
  void SetValue(Value value) {
    auto [at, added] = valueIndex.try_emplace(LowerAscii(value.name), values.size());
    if (added)
      values.push_back(std::move(value));
    else
      values[at->second] = std::move(value);
  }
  Value* FindValue(std::string_view valueName) {
    for (Value& v : values) {
      if (EqualNoCase(v.name, valueName)) return &v;
    }
    return nullptr;
  }
};

// Sorts every key's children for lookup and enumeration and drops the
// loading indexes; keys are visited without recursion.
void SortTree(Key& root) {
  std::vector<Key*> pending{&root};
  while (!pending.empty()) {
    Key* key = pending.back();
    pending.pop_back();
    std::stable_sort(key->children.begin(), key->children.end(),
                     [](const auto& a, const auto& b) { return CompareNoCase(a->name, b->name) < 0; });
    key->childIndex = {};
    key->valueIndex = {};
    for (auto& child : key->children) pending.push_back(child.get());
  }
}

// One reading of the file: the three roots.
struct Tree {
  Key roots[3];
};

int RootIndex(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return 0;
  if (key == HKEY_CURRENT_USER) return 1;
  if (key == HKEY_LOCAL_MACHINE) return 2;
  return -1;
}

int RootIndex(std::string_view name) {
  if (EqualNoCase(name, "HKEY_CLASSES_ROOT")) return 0;
  if (EqualNoCase(name, "HKEY_CURRENT_USER")) return 1;
  if (EqualNoCase(name, "HKEY_LOCAL_MACHINE")) return 2;
  return -1;
}

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Splits "a\b\c" into its non-empty parts.
std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = Trim(path.substr(start, end - start));
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// A quoted string at s[pos] ('"' there); advances pos past the closing quote.
bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
    out += c;
  }
  return false;
}

bool ParseValueLine(std::string_view line, Value& value) {
  size_t pos = 0;
  if (line[0] == '@') {
    value.name.clear();
    pos = 1;
  } else if (!ParseQuoted(line, pos, value.name) || value.name.find('\0') != std::string::npos) {
    return false;
  }
  std::string_view rest = Trim(line.substr(pos));
  if (rest.empty() || rest[0] != '=') return false;
  rest = Trim(rest.substr(1));
  if (!rest.empty() && rest[0] == '"') {
    size_t at = 0;
    if (!ParseQuoted(rest, at, value.data) || !Trim(rest.substr(at)).empty()) return false;
    if (value.data.find('\0') != std::string::npos) return false;
    value.type = REG_SZ;
    return true;
  }
  constexpr std::string_view kDword = "dword:";
  if (rest.size() <= kDword.size() || rest.size() > kDword.size() + 8 ||
      !EqualNoCase(rest.substr(0, 6), kDword)) {
    return false;
  }
  DWORD v = 0;
  for (char c : rest.substr(kDword.size())) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    v = (v << 4) | static_cast<DWORD>(digit);
  }
  value.type = REG_DWORD;
  value.data.assign({static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)});
  return true;
}

std::mutex g_defaultsLock;
std::vector<std::string> g_defaultFiles;

std::shared_ptr<Tree> LoadTree() {
  auto tree = std::make_shared<Tree>();
  // A file that cannot be read adds nothing; the user's file comes last,
  // so that its values stand over the defaults.
  std::string text;
  {
    std::lock_guard<std::mutex> guard(g_defaultsLock);
    for (const std::string& file : g_defaultFiles) {
      std::string more;
      if (ReadSmallFile(file, kMaxRegistrySize, &more)) text += more + "\n";
    }
  }
  std::string own;
  ReadSmallFile(RegistryFilePath(), kMaxRegistrySize, &own);
  text += own;

  Key* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view content = std::string_view(text).substr(start, end - start);
    start = end + 1;
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    content = Trim(content);
    if (content.empty() || content[0] == ';' || content[0] == '#') continue;
    if (content[0] == '[') {
      current = nullptr;
      if (content.back() != ']') continue;
      const std::string_view path = content.substr(1, content.size() - 2);
      if (path.find('\0') != std::string_view::npos) continue;
      const auto parts = SplitPath(path);
      if (parts.empty() || parts.size() - 1 > kMaxKeyDepth) continue;
      const int root = RootIndex(parts[0]);
      if (root < 0) continue;
      current = &tree->roots[root];
      for (size_t i = 1; i < parts.size(); ++i) current = current->AddChild(parts[i]);
      continue;
    }
    Value value;
    if (current == nullptr || !ParseValueLine(content, value)) continue;
    current->SetValue(std::move(value));
  }
  for (Key& root : tree->roots) SortTree(root);
  return tree;
}

// An open key: the reading it came from and its place in it.
struct OpenKey {
  std::shared_ptr<Tree> tree;
  Key* key = nullptr;
};

std::mutex g_handlesLock;
std::unordered_set<OpenKey*> g_handles;

// The key behind a handle: an open key, or a root read afresh (held by
// holder). Null for anything else.
Key* Resolve(HKEY handle, std::shared_ptr<Tree>& holder) {
  const int root = RootIndex(handle);
  if (root >= 0) {
    holder = LoadTree();
    return &holder->roots[root];
  }
  std::lock_guard<std::mutex> guard(g_handlesLock);
  auto* open = reinterpret_cast<OpenKey*>(handle);
  if (g_handles.count(open) == 0) return nullptr;
  holder = open->tree;
  return open->key;
}

}  // namespace

std::string RegistryFilePath() {
  return SettingsFolder() + "/registry.txt";
}

void AddRegistryDefaults(const std::string& path) {
  std::lock_guard<std::mutex> guard(g_defaultsLock);
  for (const std::string& file : g_defaultFiles)
    if (file == path) return;
  g_defaultFiles.push_back(path);
}

LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if ((access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK)) != 0) return ERROR_ACCESS_DENIED;
  std::shared_ptr<Tree> tree;
  Key* at = Resolve(key, tree);
  if (at == nullptr) return ERROR_INVALID_HANDLE;
  if (subKey != nullptr) {
    for (std::string_view part : SplitPath(subKey)) {
      at = at->Child(part);
      if (at == nullptr) return ERROR_FILE_NOT_FOUND;
    }
  }
  auto open = std::make_unique<OpenKey>();
  open->tree = std::move(tree);
  open->key = at;
  std::lock_guard<std::mutex> guard(g_handlesLock);
  g_handles.insert(open.get());
  *result = reinterpret_cast<HKEY>(open.release());
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Tree> tree;
  Key* at = Resolve(key, tree);
  if (at == nullptr) return ERROR_INVALID_HANDLE;
  const Value* value = at->FindValue(valueName != nullptr ? valueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const DWORD needed = static_cast<DWORD>(value->data.size() + (value->type == REG_SZ ? 1 : 0));
  if (type != nullptr) *type = value->type;
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, value->data.data(), value->data.size());
  if (value->type == REG_SZ) data[value->data.size()] = 0;
  *size = needed;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
                  LPDWORD classSize, FILETIME* lastWrite) {
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Tree> tree;
  Key* at = Resolve(key, tree);
  if (at == nullptr) return ERROR_INVALID_HANDLE;
  if (index >= at->children.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& childName = at->children[index]->name;
  if (*nameSize <= childName.size()) return ERROR_MORE_DATA;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  *nameSize = static_cast<DWORD>(childName.size());
  if (className != nullptr && classSize != nullptr && *classSize > 0) className[0] = 0;
  if (classSize != nullptr) *classSize = 0;
  if (lastWrite != nullptr) *lastWrite = FILETIME{};
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (RootIndex(key) >= 0) return ERROR_SUCCESS;
  OpenKey* open = reinterpret_cast<OpenKey*>(key);
  {
    std::lock_guard<std::mutex> guard(g_handlesLock);
    if (g_handles.erase(open) == 0) return ERROR_INVALID_HANDLE;
  }
  delete open;
  return ERROR_SUCCESS;
}
