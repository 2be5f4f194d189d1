// A replacement follows a link only where nobody else could have planted
// it, and takes over a file's permissions only from the user's own file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// The folder is checked once and held: when it is swapped for a link to
// another folder after that (here while the new file is written, whether the
// writer uses the descriptor or opens the temporary by its path, as the
// exports do), the new file still lands where the check was made.
TEST(ReplaceTargetLinks, AFolderSwappedForALinkMidWriteDoesNotRedirectTheFile) {
  const struct {
    const char* what;
    bool byPath;
  } cases[] = {{"written through the descriptor", false}, {"written through the temporary's path", true}};
  TestFolder scratch("replace-swap");
  ASSERT_TRUE(scratch.ok());
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string base = scratch.File(std::to_string(++n));
    const std::string dir = base + "/dir";
    const std::string moved = base + "/moved";
    const std::string victim = base + "/victim";
    ASSERT_TRUE(std::filesystem::create_directories(dir));
    ASSERT_TRUE(std::filesystem::create_directories(victim));
    WriteFileText(dir + "/out.wav", "old");
    WriteFileText(victim + "/out.wav", "the victim's file");
    std::string why;
    const bool written = ReplaceFileAtomically(
        dir + "/out.wav",
        [&](int fd, const std::string& temp) {
          if (rename(dir.c_str(), moved.c_str()) != 0 || symlink(victim.c_str(), dir.c_str()) != 0) return false;
          if (!c.byPath) return write(fd, "new", 3) == 3;
          const int other = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
          const bool done = other >= 0 && write(other, "new", 3) == 3;
          if (other >= 0) close(other);
          return done;
        },
        ReplaceDurability::kDisk, ReplaceAccess::kShared, &why);
    EXPECT_TRUE(written) << why;
    EXPECT_EQ(Entries(victim), std::vector<std::string>{"out.wav"}) << "nothing new in the victim's folder";
    EXPECT_EQ(ReadFileText(victim + "/out.wav"), "the victim's file");
    EXPECT_EQ(Entries(moved), std::vector<std::string>{"out.wav"}) << "no temporary left";
    EXPECT_EQ(ReadFileText(moved + "/out.wav"), "new");
  }
}

// Clearing what dead writers left walks the way as a replacement does: behind
// a link it would not follow, nothing is removed.
TEST(ReplaceTargetLinks, StaleTemporariesBehindARefusedLinkAreLeftAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a link of another user";
  TestFolder scratch("replace-stale");
  ASSERT_TRUE(scratch.ok());
  const std::string shared = scratch.File("shared");
  const std::string home = scratch.File("home");
  ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
  // No writer holds it: by the name alone, a temporary a dead writer left.
  const std::string stale = home + "/.kobrix-Abc123.tmp";
  WriteFileText(stale, "the victim's file");
  ASSERT_EQ(symlink(home.c_str(), (shared + "/dir").c_str()), 0);
  ASSERT_EQ(lchown((shared + "/dir").c_str(), kStranger, kStranger), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  RemoveStaleTemporaries(shared + "/dir/out.wav");
  EXPECT_EQ(ReadFileText(stale), "the victim's file");
  // By a way that may be followed it is one, and goes.
  RemoveStaleTemporaries(home + "/out.wav");
  EXPECT_FALSE(std::filesystem::exists(stale));
}

// A link to what a process holds open (its descriptors in /proc: a pipe, a
// socket, a file under another name) or to a device or a FIFO is refused,
// naming the link and what it leads to, and stays a link leading where it
// did; a pipe gets nothing. Named straight, without a link of ours, the
// same.
TEST(ReplaceTargetLinks, ALinkToADescriptorADeviceOrAFifoIsNeverReplaced) {
  TestFolder scratch("replace-held");
  ASSERT_TRUE(scratch.ok());
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  int sockets[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  const std::string held = scratch.File("held.wav");
  WriteFileText(held, "held open");
  const int file = open(held.c_str(), O_RDWR);
  ASSERT_GE(file, 0);
  ASSERT_EQ(mkfifo(scratch.File("fifo").c_str(), 0600), 0);
  auto descriptor = [](int fd) { return "/proc/self/fd/" + std::to_string(fd); };
  const struct {
    const char* what;
    std::string leads;  // what the link leads to
    bool straight;      // the path named without a link of ours
    const char* says;
  } cases[] = {
      {"a pipe", descriptor(pipeEnds[1]), false, "leads to a pipe"},
      {"a pipe named straight", descriptor(pipeEnds[1]), true, "leads to a pipe"},
      {"a pipe through /dev/fd", "/dev/fd/" + std::to_string(pipeEnds[1]), false, "leads to a pipe"},
      {"a socket", descriptor(sockets[0]), false, "leads to a socket"},
      {"an open file", descriptor(file), false, "leads to a file a process holds open"},
      {"a descriptor that is not open", descriptor(1000), false, "leads to nothing"},
      {"a device", "/dev/null", false, "is a device"},
      {"a FIFO", scratch.File("fifo"), false, "is a FIFO"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string link = scratch.File("out" + std::to_string(++n) + ".wav");
    ASSERT_EQ(symlink(c.leads.c_str(), link.c_str()), 0);
    const std::string target = c.straight ? c.leads : link;
    std::string why;
    EXPECT_FALSE(ReplaceFileAtomically(
        target, [](int fd, const std::string&) { return write(fd, "WAVE", 4) == 4; }, ReplaceDurability::kRename,
        ReplaceAccess::kShared, &why));
    EXPECT_EQ(why.find("'" + target + "' "), 0u) << "names what was given: " << why;
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
    char text[PATH_MAX] = {};
    ASSERT_GT(readlink(link.c_str(), text, sizeof text - 1), 0) << "the link stays a link";
    EXPECT_EQ(std::string(text), c.leads);
  }
  EXPECT_EQ(ReadFileText(held), "held open");
  // Nothing went down the pipe, nor into the socket.
  ASSERT_EQ(fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK), 0);
  ASSERT_EQ(fcntl(sockets[1], F_SETFL, O_NONBLOCK), 0);
  char byte;
  EXPECT_EQ(read(pipeEnds[0], &byte, 1), -1);
  EXPECT_EQ(read(sockets[1], &byte, 1), -1);
  for (int fd : {pipeEnds[0], pipeEnds[1], sockets[0], sockets[1], file}) close(fd);
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
