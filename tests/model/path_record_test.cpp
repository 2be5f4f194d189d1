#include "model/path_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "model/film_records.h"
#include "support/test_env.h"

namespace {

struct SplitCase {
  const char* path;
  PathParts want;
};

TEST(SplitPath, Table) {
  const SplitCase cases[] = {
      {"C:\\dir\\name.ext", {0, 2, 7, 11, 15, 2, 5, 4, 4}},
      {"C:/dir/name.ext", {0, 2, 7, 11, 15, 2, 5, 4, 4}},
      {"name", {0, 0, 0, 4, 4, 0, 0, 4, 0}},
      {"\\dir\\.cfg", {0, 0, 5, 9, 9, 0, 5, 4, 0}},
      {"/dir/.cfg", {0, 0, 5, 9, 9, 0, 5, 4, 0}},
      {"C:\\A.B\\file", {0, 2, 7, 11, 11, 2, 5, 4, 0}},
      {"C:/A.B/file", {0, 2, 7, 11, 11, 2, 5, 4, 0}},
      {"/a.b/c.tar.gz", {0, 0, 5, 10, 13, 0, 5, 5, 3}},
      {"name.", {0, 0, 0, 4, 5, 0, 0, 4, 1}},
      {"", {}},
      {nullptr, {}},
  };
  for (const SplitCase& c : cases) {
    PathParts p;
    p.length = 99;
    SplitPath(p, c.path);
    const PathParts& w = c.want;
    SCOPED_TRACE(c.path ? c.path : "(null)");
    EXPECT_EQ(p.drive, w.drive);
    EXPECT_EQ(p.dir, w.dir);
    EXPECT_EQ(p.name, w.name);
    EXPECT_EQ(p.ext, w.ext);
    EXPECT_EQ(p.length, w.length);
    EXPECT_EQ(p.driveLength, w.driveLength);
    EXPECT_EQ(p.dirLength, w.dirLength);
    EXPECT_EQ(p.nameLength, w.nameLength);
    EXPECT_EQ(p.extLength, w.extLength);
  }
}

TEST(PathRecordTest, FolderPartAndCut) {
  EXPECT_STREQ(PathRecord("/media/a.wav", false).path, "/media/");
  EXPECT_STREQ(PathRecord("C:\\media\\a.wav", false).path, "C:\\media\\");
  EXPECT_STREQ(PathRecord("a.wav", false).path, "");
  const std::string longPath(400, 'x');
  PathRecord whole(longPath.c_str(), true);
  EXPECT_EQ(std::strlen(whole.path), MAX_PATH - 1);
  SynonymFile moved(longPath.c_str(), nullptr);
  EXPECT_EQ(std::strlen(moved.oldPath), MAX_PATH - 1);
  EXPECT_STREQ(moved.newPath, "");
  PathRecord::FreeList(nullptr);
  SynonymFile::FreeList(nullptr);
}

// Answers the questions from a script and records what was asked.
class ScriptedQuestions : public MissingFileQuestions {
 public:
  struct Answer {
    int code;
    std::string path;  // written into the buffer before answering
  };
  ScriptedQuestions() { before_ = SetMissingFileQuestions(this); }
  ~ScriptedQuestions() override { SetMissingFileQuestions(before_); }

  int AskFile(HWND, const char* caption, char* path, int filterIndex) override {
    asked.push_back({caption, path, filterIndex, {}});
    return Next(path);
  }
  int SelectFile(HWND, const char* caption, char* path, int filterIndex, const PathRecord* candidates) override {
    Question q{caption, path, filterIndex, {}};
    for (const PathRecord* c = candidates; c; c = c->next) q.candidates.push_back(c->path);
    asked.push_back(q);
    return Next(path);
  }

  struct Question {
    std::string caption, path;
    int filterIndex;
    std::vector<std::string> candidates;
  };
  std::deque<Answer> answers;
  std::vector<Question> asked;

 private:
  int Next(char* path) {
    Answer a = answers.front();
    answers.pop_front();
    if (!a.path.empty()) std::strcpy(path, a.path.c_str());
    return a.code;
  }
  MissingFileQuestions* before_;
};

class Locate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.ok());
    folders = new PathRecord((dir.path() + "/").c_str(), true);
  }
  void TearDown() override { PathRecord::FreeList(folders); }

  std::string Make(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(dir.File(relative)).parent_path());
    std::ofstream(dir.File(relative)) << "x";
    return dir.File(relative);
  }
  std::vector<std::string> Folders() const {
    std::vector<std::string> out;
    for (const PathRecord* f = folders; f; f = f->next) out.push_back(f->path);
    return out;
  }
  int Run(char* path) { return LocateMediaFile(nullptr, "Load Project", path, 3, folders); }

  TestFolder dir;
  PathRecord* folders = nullptr;
  ScriptedQuestions questions;
};

TEST_F(Locate, FolderOfAFoundFileOffersTheNextMissingFile) {
  const std::string first = Make("moved/a.wav");
  const std::string second = Make("moved/b.avi");
  char path[MAX_PATH] = "/gone/a.wav";
  questions.answers = {{kLocateChosen, first}};
  EXPECT_EQ(Run(path), kLocateChosen);
  EXPECT_EQ(path, first);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].candidates.empty());
  EXPECT_EQ(questions.asked[0].caption, "Load Project");
  EXPECT_EQ(questions.asked[0].filterIndex, 3);
  EXPECT_EQ(Folders(), (std::vector<std::string>{dir.path() + "/", dir.path() + "/moved/"}));

  char other[MAX_PATH] = "C:\\old\\b.avi";
  questions.answers = {{kLocateChosen, second}};
  EXPECT_EQ(Run(other), kLocateChosen);
  EXPECT_EQ(other, second);
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[1].candidates, std::vector<std::string>{second});
  // Found again in a remembered folder: not remembered twice.
  EXPECT_EQ(Folders().size(), 2u);
}

TEST_F(Locate, CandidatesComeLastFoundFirst) {
  const std::string inBase = Make("c.wav");
  const std::string inSub = Make("sub/c.wav");
  folders->next = new PathRecord((dir.path() + "/sub/").c_str(), true);
  char path[MAX_PATH] = "/gone/c.wav";
  questions.answers = {{kLocateChosen, inBase}};
  EXPECT_EQ(Run(path), kLocateChosen);
  EXPECT_EQ(questions.asked[0].candidates, (std::vector<std::string>{inSub, inBase}));
  EXPECT_EQ(Folders().size(), 2u);
}

TEST_F(Locate, OnlyAChoiceChangesTheBuffer) {
  Make("d.wav");
  for (int code : {kLocateCancel, kLocateSkip, kLocateSkipAll}) {
    char path[MAX_PATH] = "/gone/d.wav";
    // The question writes into its buffer (a preselected candidate) and
    // still does not choose.
    questions.answers = {{code, dir.File("d.wav")}};
    EXPECT_EQ(Run(path), code);
    EXPECT_STREQ(path, "/gone/d.wav");
    EXPECT_EQ(Folders().size(), 1u);
  }
}

TEST_F(Locate, CandidateThatWouldOverflowIsSkipped) {
  const std::string name(MAX_PATH - dir.path().size() - 1, 'n');
  char path[MAX_PATH] = "/";
  std::strncat(path, name.c_str(), MAX_PATH - 2);
  questions.answers = {{kLocateSkip, ""}};
  EXPECT_EQ(Run(path), kLocateSkip);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].candidates.empty());
}

TEST(LocateDefault, WithoutQuestionsSkips) {
  char path[MAX_PATH] = "/gone/e.wav";
  EXPECT_EQ(LocateMediaFile(nullptr, "x", path, 0, nullptr), kLocateSkip);
  EXPECT_STREQ(path, "/gone/e.wav");
}

}  // namespace
