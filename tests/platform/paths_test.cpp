#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/location.h"
#include "platform/pc_file.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

// What a child process reports about its own scratch folder.
std::string ScratchFolderOfAChild() {
  int fds[2];
  if (pipe(fds) != 0) return "";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string& dir = ScratchDirectory();
    std::FILE* f = std::fopen(ScratchTiFile().c_str(), "wb");  // leave a file behind
    if (f) std::fclose(f);
    if (write(fds[1], dir.data(), dir.size()) < 0) std::_Exit(2);
    close(fds[1]);
    std::exit(0);  // runs the exit handlers, as a normal end of the program does
  }
  close(fds[1]);
  std::string dir;
  char buf[256];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) dir.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return dir;
}

TEST(ScratchFolder, IsPrivateToTheProcessAndGoneWhenItExits) {
  const std::string mine = ScratchDirectory();
  EXPECT_EQ(ParentPath(mine), TempDirectory());
  struct stat st{};
  ASSERT_EQ(lstat(mine.c_str(), &st), 0) << mine;
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, getuid());
  EXPECT_EQ(ScratchTiFile(), mine + "/ti_tmp.$$$");
  EXPECT_EQ(ScratchArchiveFile(), mine + "/ti_arc.$$$");
  EXPECT_EQ(ScratchGifFile(), mine + "/ti_pic.gif");

  const std::string first = ScratchFolderOfAChild();
  const std::string second = ScratchFolderOfAChild();
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, mine);
  EXPECT_NE(first, second);
  // Removed with the file in it when the child ended.
  EXPECT_FALSE(PathExists(first));
  EXPECT_FALSE(PathExists(second));
  // A child's exit leaves the parent's folder alone.
  EXPECT_TRUE(IsDirectory(mine));
}

TEST(ScratchFolder, ALinkPlantedAtTheOldSharedNameIsNotWrittenThrough) {
  // korvane-cli views a file inside an image through "ti_tmp.$$$"; someone
  // planted that name in the temporary directory as a link to a victim.
  test::TempDir dir;
  const std::string tmp = dir.Mkdir("tmp");
  const std::string victim = dir.Write("victim", test::Bytes{'k', 'e', 'e', 'p'});
  ASSERT_EQ(symlink(victim.c_str(), (tmp + "/ti_tmp.$$$").c_str()), 0);
  ASSERT_EQ(symlink(victim.c_str(), (tmp + "/ti_arc.$$$").c_str()), 0);
  dir.Write("disk.dsk", test::DiskBuilder::Sssd("DISK").Add(test::DisVarFile("NOTES", 80, {"hello"})).Build());

  const std::string command = "TMPDIR=" + test::ShellQuote(tmp) + " " + KORVANE_CLI_PATH + " view " +
                              test::ShellQuote(dir.path() + "/disk.dsk") + " NOTES > " +
                              test::ShellQuote(dir.path() + "/shown.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const test::Bytes shown = test::ReadFile(dir.path() + "/shown.txt");
  EXPECT_NE(std::string(shown.begin(), shown.end()).find("hello"), std::string::npos);
  EXPECT_EQ(test::ReadFile(victim), (test::Bytes{'k', 'e', 'e', 'p'}));

  // The process's own folder is gone: only the planted links are left.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(tmp)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"ti_arc.$$$", "ti_tmp.$$$"}));
}

}  // namespace
}  // namespace korvane
