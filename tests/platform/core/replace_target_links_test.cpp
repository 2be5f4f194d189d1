// A replacement follows a link only where nobody else could have planted
// it, and takes over a file's permissions only from the user's own file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "support/file_bytes.h"
#include "support/test_env.h"

namespace {

// Users that are not this one: the owner of the shared folder, and a third
// one. Only root can give files away, so the rows that need them are
// skipped otherwise.
constexpr uid_t kFolderOwner = 65534;
constexpr uid_t kStranger = 65533;

struct LinkCase {
  const char* what;
  mode_t folderMode;
  bool folderIsTheOwners;  // else the folder is this user's
  bool linkIsTheStrangers;
  bool linkIsTheFolderOwners;
  bool followed;
};

TEST(ReplaceTargetLinks, ALinkInASharedStickyFolderIsFollowedOnlyWhenItsOwnerMayBeTrusted) {
  const bool root = geteuid() == 0;
  const LinkCase cases[] = {
      {"the user's own link in a sticky shared folder", 01777, true, false, false, true},
      {"another user's link in a sticky shared folder", 01777, true, true, false, false},
      {"another user's link in the user's own sticky shared folder", 01777, false, true, false, false},
      {"the folder owner's link in a sticky shared folder", 01777, true, false, true, true},
      {"another user's link in a plain shared folder", 0777, true, true, false, true},
      {"another user's link in a sticky folder others may not write", 01755, true, true, false, true},
  };
  TestFolder scratch("replace-links");
  ASSERT_TRUE(scratch.ok());
  ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);
  int n = 0;
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.what);
    const bool needsRoot = c.folderIsTheOwners || c.linkIsTheStrangers || c.linkIsTheFolderOwners;
    if (needsRoot && !root) {
      std::printf("skipped without root: %s\n", c.what);
      continue;
    }
    const std::string folder = scratch.File("shared" + std::to_string(++n));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string victim = scratch.File("victim" + std::to_string(n));
    WriteFileText(victim, "the victim's notes");
    const std::string link = folder + "/out.wav";
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    if (c.linkIsTheStrangers) ASSERT_EQ(lchown(link.c_str(), kStranger, kStranger), 0);
    if (c.linkIsTheFolderOwners) ASSERT_EQ(lchown(link.c_str(), kFolderOwner, kFolderOwner), 0);
    if (c.folderIsTheOwners) ASSERT_EQ(chown(folder.c_str(), kFolderOwner, kFolderOwner), 0);
    ASSERT_EQ(chmod(folder.c_str(), c.folderMode), 0);

    std::string why;
    const bool written = ReplaceFileAtomically(
        link, [](int fd, const std::string&) { return write(fd, "WAVE", 4) == 4; }, ReplaceDurability::kRename,
        ReplaceAccess::kShared, &why);
    EXPECT_EQ(written, c.followed) << why;
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    if (c.followed) {
      EXPECT_EQ(ReadFileText(victim), "WAVE");
    } else {
      EXPECT_EQ(ReadFileText(victim), "the victim's notes");
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
      EXPECT_NE(why.find("'" + link + "'"), std::string::npos) << "names the link: " << why;
      EXPECT_NE(why.find("another user"), std::string::npos) << why;
    }
  }
  if (n == 0) GTEST_SKIP() << "every row needs root, to give the folder or the link to another user";
}

// A link anywhere on the way counts, not only the last one.
TEST(ReplaceTargetLinks, AStrangersLinkToAFolderOnTheWayIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a link of another user";
  TestFolder scratch("replace-links");
  ASSERT_TRUE(scratch.ok());
  const std::string shared = scratch.File("shared");
  const std::string home = scratch.File("home");
  ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
  WriteFileText(home + "/notes.txt", "notes");
  ASSERT_EQ(symlink(home.c_str(), (shared + "/dir").c_str()), 0);
  ASSERT_EQ(lchown((shared + "/dir").c_str(), kStranger, kStranger), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  std::string why;
  EXPECT_FALSE(ReplaceFileAtomically(
      shared + "/dir/notes.txt", [](int fd, const std::string&) { return write(fd, "x", 1) == 1; },
      ReplaceDurability::kRename, ReplaceAccess::kShared, &why));
  EXPECT_EQ(ReadFileText(home + "/notes.txt"), "notes");
  EXPECT_NE(why.find("'" + shared + "/dir'"), std::string::npos) << why;
}

TEST(ReplaceTargetLinks, PermissionsAreTakenOverOnlyFromTheUsersOwnFile) {
  TestFolder scratch("replace-modes");
  ASSERT_TRUE(scratch.ok());
  const mode_t mask = umask(022);
  const std::string own = scratch.File("own.wav");
  WriteFileText(own, "old");
  ASSERT_EQ(chmod(own.c_str(), 0640), 0);
  EXPECT_TRUE(WriteFileAtomically(own, "new", 3));
  struct stat info;
  ASSERT_EQ(stat(own.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (geteuid() == 0) {
    // Another user's file open to everyone: the new file is not.
    const std::string theirs = scratch.File("theirs.wav");
    WriteFileText(theirs, "old");
    ASSERT_EQ(chown(theirs.c_str(), kStranger, kStranger), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
    EXPECT_TRUE(WriteFileAtomically(theirs, "new", 3));
    ASSERT_EQ(stat(theirs.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(info.st_uid, geteuid());
  } else {
    std::printf("skipped without root: another user's file\n");
  }
  umask(mask);
}

}  // namespace
