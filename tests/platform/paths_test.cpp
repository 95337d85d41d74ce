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

#include "catalog/catalog_paths.h"
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

TEST(ScratchFolder, LinksPlantedAtTheOldSharedNamesAreNeitherWrittenThroughNorTouched) {
  // korvane-cli views a file inside an image through "ti_tmp.$$$", and Enter
  // on a GIF row writes "ti_pic.gif". Someone planted those names in the
  // temporary directory as links to a victim file.
  test::TempDir dir;
  const std::string tmp = dir.Mkdir("tmp");
  const test::Bytes keep{'k', 'e', 'e', 'p'};
  const std::string victim = dir.Write("victim", keep);
  const std::vector<std::string> names = {"ti_arc.$$$", "ti_pic.gif", "ti_tmp.$$$"};
  for (const std::string& name : names) ASSERT_EQ(symlink(victim.c_str(), (tmp + "/" + name).c_str()), 0);
  dir.Write("disk.dsk", test::DiskBuilder::Sssd("DISK").Add(test::DisVarFile("NOTES", 80, {"hello"})).Build());
  test::TiFile gif = test::DisFixFile("PIC", 128, {});
  gif.data.assign(256, 0);
  std::copy_n("GIF89a", 6, gif.data.begin());
  gif.recordsPerSector = 2;
  gif.level3 = 2;
  dir.Write("pic", test::V9t9File(gif));

  const std::string cli = "TMPDIR=" + test::ShellQuote(tmp) + " " + KORVANE_CLI_PATH;
  const std::string shown = test::ShellQuote(dir.path() + "/shown.txt");
  ASSERT_EQ(std::system((cli + " view " + test::ShellQuote(dir.path() + "/disk.dsk") + " NOTES > " + shown).c_str()), 0);
  const test::Bytes text = test::ReadFile(dir.path() + "/shown.txt");
  EXPECT_NE(std::string(text.begin(), text.end()).find("hello"), std::string::npos);
  // Listing the GIF row enters it, which hands the picture to the viewer.
  std::system((cli + " dir " + test::ShellQuote(dir.path() + "/pic") + " > /dev/null 2>&1").c_str());
  EXPECT_EQ(test::ReadFile(victim), keep);

  // The process's own folder is gone; the planted links are as they were.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(tmp)) {
    left.push_back(entry.path().filename());
    EXPECT_TRUE(entry.is_symlink()) << entry.path();
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, names);
}

}  // namespace
}  // namespace korvane
