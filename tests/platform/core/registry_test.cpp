#include "platform/core/registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/time_bounds.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok());
    folder_ = home_.path();
  }
  void WriteRegistry(const std::string& text) {
    ASSERT_EQ(RegistryFilePath(), folder_ + "/registry.txt");
    std::ofstream out(RegistryFilePath(), std::ios::binary);
    out << text;
  }
  // A string value of an open key, or "<error N>".
  static std::string QueryText(HKEY key, const char* name) {
    char data[64];
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG result = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
    if (result != ERROR_SUCCESS) return "<error " + std::to_string(result) + ">";
    if (type != REG_SZ || size != std::strlen(data) + 1) return "<bad>";
    return data;
  }

  ScopedSettingsHome home_;
  std::string folder_;
};

constexpr const char* kSample =
    "; installed components\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Darim Vision\\DVMPEG]\r\n"
    "\"EncodeMethod\"=\"1\"\r\n"
    "\"Count\"=dword:0000001F\r\n"
    "\"Path\"=\"C:\\\\Encoders\\\\say \\\"hi\\\"\"\r\n"
    "@=\"the encoder\"\r\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{B0000000-0000-0000-0000-000000000002}\\ProgID]\n"
    "@=\"KOBRIX.Echo\"\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{a0000000-0000-0000-0000-000000000001}\\ProgID]\n"
    "@=\"KOBRIX.Reverb\"\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{C0000000-0000-0000-0000-000000000003}]\n";

TEST_F(RegistryTest, ValuesOfAKey) {
  WriteRegistry(kSample);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\DARIM VISION\\DvMpeg", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(QueryText(key, "EncodeMethod"), "1");
  EXPECT_EQ(QueryText(key, "encodemethod"), "1");
  EXPECT_EQ(QueryText(key, "Path"), "C:\\Encoders\\say \"hi\"");
  EXPECT_EQ(QueryText(key, nullptr), "the encoder");
  EXPECT_EQ(QueryText(key, ""), "the encoder");
  EXPECT_EQ(QueryText(key, "Missing"), "<error 2>");

  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(RegQueryValueEx(key, "Count", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 31u);

  // The size alone, then a buffer too small for the text.
  size = 0;
  ASSERT_EQ(RegQueryValueEx(key, "EncodeMethod", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  char small[4] = "###";
  size = 1;
  EXPECT_EQ(RegQueryValueEx(key, "EncodeMethod", nullptr, nullptr, reinterpret_cast<LPBYTE>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(RegQueryValueEx(key, "EncodeMethod", nullptr, nullptr, reinterpret_cast<LPBYTE>(small), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

// The scan that finds the installed effect components.
TEST_F(RegistryTest, EnumeratingSubkeys) {
  WriteRegistry(kSample);
  HKEY clsid = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &clsid), ERROR_SUCCESS);
  std::vector<std::string> names, progIds;
  for (DWORD index = 0;; ++index) {
    char name[80];
    DWORD size = sizeof name;
    const LONG result = RegEnumKeyEx(clsid, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(size, std::strlen(name));
    names.push_back(name);
    HKEY progId = nullptr;
    if (RegOpenKeyEx(clsid, (std::string(name) + "\\ProgID").c_str(), 0, KEY_READ, &progId) ==
        ERROR_SUCCESS) {
      progIds.push_back(QueryText(progId, nullptr));
      RegCloseKey(progId);
    } else {
      progIds.push_back("");
    }
  }
  // In name order, ignoring case; keys on a listed path exist too.
  EXPECT_EQ(names, (std::vector<std::string>{"{a0000000-0000-0000-0000-000000000001}",
                                             "{B0000000-0000-0000-0000-000000000002}",
                                             "{C0000000-0000-0000-0000-000000000003}"}));
  EXPECT_EQ(progIds, (std::vector<std::string>{"KOBRIX.Reverb", "KOBRIX.Echo", ""}));

  char name[38];  // one short of the 38 characters and the terminator
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyEx(clsid, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(RegEnumKeyEx(clsid, 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(clsid);
}

TEST_F(RegistryTest, MissingFileOrKeyAndRefusedAccess) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  char name[80];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyEx(HKEY_CLASSES_ROOT, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  WriteRegistry(kSample);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

  // Handles that are not (or no longer) open keys.
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(QueryText(key, "x"), "<error 6>");
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyEx(reinterpret_cast<HKEY>(0x1234), "x", 0, KEY_READ, &other), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryTest, LinesThatDoNotFitAreSkipped) {
  WriteRegistry(
      "\"Early\"=\"before any key\"\n"
      "[HKEY_USERS\\Elsewhere]\n"
      "\"Lost\"=\"1\"\n"
      "[HKEY_CURRENT_USER\\Test]   \n"
      "  \"Good\" = \"yes\"  \n"
      "\"Open\"=\"no end\n"
      "\"Long\"=dword:123456789\n"
      "\"Hex\"=dword:zz\n"
      "\"Empty\"=dword:\n"
      "\"Trailing\"=\"x\" junk\n"
      "Bare=\"x\"\n"
      "\"Twice\"=\"first\"\n"
      "\"Twice\"=\"second\"\n"
      "[HKEY_CURRENT_USER\\Test\n"
      "\"AfterBroken\"=\"1\"\n"
      "[]\n"
      "\"Small\"=dword:7\n");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Test", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(key, "Good"), "yes");
  EXPECT_EQ(QueryText(key, "Twice"), "second");
  for (const char* name :
       {"Open", "Long", "Hex", "Empty", "Trailing", "Bare", "AfterBroken", "Small", "Early"}) {
    EXPECT_EQ(QueryText(key, name), "<error 2>") << name;
  }
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Elsewhere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AnOpenKeyKeepsWhatItReadAndANewOpenSeesChanges) {
  WriteRegistry("[HKEY_CURRENT_USER\\A]\n\"V\"=\"old\"\n");
  HKEY before = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", 0, KEY_READ, &before), ERROR_SUCCESS);
  WriteRegistry("[HKEY_CURRENT_USER\\A]\n\"V\"=\"new\"\n");
  HKEY after = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", 0, KEY_READ, &after), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(before, "V"), "old");
  EXPECT_EQ(QueryText(after, "V"), "new");
  RegCloseKey(before);
  RegCloseKey(after);
}

// Hand-edited files: a key nested past any sane depth, a NUL inside a key
// name, and very many sibling keys.
TEST_F(RegistryTest, HostileKeyPathsAreSkipped) {
  auto path = [](std::size_t depth) {
    std::string p;
    for (std::size_t i = 0; i < depth; ++i) p += i == 0 ? "k" : "\\k";
    return p;
  };
  std::string text = "[HKEY_CURRENT_USER\\" + path(300000) + "]\n\"V\"=\"deep\"\n";
  text += "[HKEY_CURRENT_USER\\Limit\\" + path(511) + "]\n\"V\"=\"512\"\n";
  text += "[HKEY_CURRENT_USER\\Past\\" + path(512) + "]\n\"V\"=\"513\"\n";
  using namespace std::string_literals;
  text += "[HKEY_CURRENT_USER\\Nu\0l]\n\"V\"=\"nul\"\n"s;
  text += "[HKEY_CURRENT_USER\\Good]\n\"Na\0me\"=\"nul\"\n\"V\"=\"good\"\n"s;
  WriteRegistry(text);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path(300000).c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, ("Limit\\" + path(511)).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(key, "V"), "512");
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, ("Past\\" + path(512)).c_str(), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Good", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(key, "V"), "good");
  EXPECT_EQ(QueryText(key, "Na"), "<error 2>");
  RegCloseKey(key);
  // The keys the root holds: none with a NUL in its name, none deeper.
  std::vector<std::string> names;
  char name[64];
  DWORD size = sizeof name;
  for (DWORD i = 0; RegEnumKeyEx(HKEY_CURRENT_USER, i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS;
       ++i, size = sizeof name)
    names.emplace_back(name, size);
  EXPECT_EQ(names, (std::vector<std::string>{"Good", "Limit"}));
}

TEST_F(RegistryTest, ManySiblingKeysLoadQuickly) {
  std::string text;
  constexpr int kKeys = 100000;
  for (int i = kKeys; i-- > 0;) text += "[HKEY_CLASSES_ROOT\\CLSID\\{" + std::to_string(i) + "}]\n@=\"x\"\n";
  WriteRegistry(text);
  // The processor time of the load, which a busy machine does not stretch.
  const auto begin = ProcessCpuTime();
  HKEY clsid = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "clsid", 0, KEY_READ, &clsid), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(clsid, "{77777}", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  // A walk among the siblings per step takes over ten seconds here; the
  // sanitizers slow everything down by about ten times.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr auto kLimit = std::chrono::seconds(40);
#else
  constexpr auto kLimit = std::chrono::seconds(5);
#endif
  EXPECT_LT(ProcessCpuTime() - begin, kLimit);
  char name[64];
  DWORD size = sizeof name;
  ASSERT_EQ(RegEnumKeyEx(clsid, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "{0}");
  RegCloseKey(clsid);
}

}  // namespace

namespace {

// Entries a build writes beside the program are read under the user's file,
// whose values stand over theirs; a defaults file that is gone adds nothing.
TEST_F(RegistryTest, DefaultsFromFilesBesideTheProgram) {
  TestFolder beside("kobrix-registry-defaults");
  const std::string defaults = beside.File("components_registry.txt");
  {
    std::ofstream out(defaults, std::ios::binary);
    out << "[HKEY_CLASSES_ROOT\\KOBRIX.Gain\\CLSID]\n@=\"{1C6D51CD-D6AA-4F34-8291-5564C1428740}\"\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kobrix]\n\"Where\"=\"build\"\n\"Only\"=\"default\"\n";
  }
  AddRegistryDefaults(defaults);
  AddRegistryDefaults(beside.File("gone_registry.txt"));
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kobrix]\n\"Where\"=\"user\"\n");

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kobrix", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(key, "Where"), "user");
  EXPECT_EQ(QueryText(key, "Only"), "default");
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "KOBRIX.Gain\\CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryText(key, nullptr), "{1C6D51CD-D6AA-4F34-8291-5564C1428740}");
  RegCloseKey(key);
}

}  // namespace
