// Output that cannot be written: a missing folder, a path under a regular file,
// a folder the user may not write (a process that drops root with setpriv: root
// itself ignores file modes), a full device, a file size limit that cuts the
// write short. Each fails with "may not create the file!", the path and the
// cause, and exit 1, leaves an
// existing target byte for byte as it was, and leaves no temporary file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "convert/output_file.h"
#include "robustness_support.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

std::string CannotWrite(const std::string& path, const std::string& why) {
  return "error: may not create the file! (" + path + ": " + why + ")\n";
}
constexpr uid_t kNobody = 65534;

// Runs the CLI as an ordinary user: as root, through setpriv; as anyone else,
// as that user, whom the modes already bind.
std::string AsOrdinaryUser() {
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
}

class WriteFault : public ::testing::Test {
 protected:
  WriteFault() {
    WriteDefinitions(dir.path());
    WriteFile(dir / "song.mid", MultiTrackSong());
    // The ordinary user must reach the song and the definitions.
    chmod(dir.path().c_str(), 0755);
  }

  CliResult Convert(const std::string& output, const std::string& prefix = "", const std::string& more = "",
                    const std::string& cli = TONVERT_CLI) {
    return RunCli(dir.path(), "-q -i instruments.ini -d drums.ini " + more + " -o '" + output + "' song.mid", prefix,
                  cli);
  }

  // The ordinary user may not reach the build folder (a checkout under /root,
  // say): a copy of the program in a folder anyone may read stands in for it.
  std::string ReachableCli() {
    const std::string copy = bin / "tonvert-cli";
    WriteFile(copy, ReadFile(TONVERT_CLI));
    EXPECT_EQ(chmod(copy.c_str(), 0755), 0);
    EXPECT_EQ(chmod(bin.path().c_str(), 0755), 0);
    return copy;
  }

  // A folder with a precious file in it that the ordinary user may not write.
  std::string LockedFolder() {
    const std::string locked = dir / "locked";
    EXPECT_EQ(mkdir(locked.c_str(), 0755), 0);
    WriteFile(locked + "/precious.txt", "keep me\n");
    EXPECT_EQ(chmod(locked.c_str(), 0555), 0);
    return locked;
  }

  // The fault is real: the ordinary user cannot create a file there either.
  void ExpectUnwritable(const std::string& folder) {
    if (geteuid() == 0) {
      ASSERT_EQ(RunCommand("command -v setpriv >/dev/null"), 0) << "setpriv (util-linux) is needed";
    }
    EXPECT_NE(RunCommand(AsOrdinaryUser() + " sh -c ': > \"" + folder + "/probe\"' 2>/dev/null"), 0);
    EXPECT_FALSE(FileExists(folder + "/probe"));
  }

  ScratchDir dir, bin;
  const std::vector<std::string> before{"drums.ini", "instruments.ini", "song.mid"};
};

TEST_F(WriteFault, AFolderThatDoesNotExist) {
  const CliResult r = Convert(dir / "missing/out.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, CannotWrite(dir / "missing/out.txt", "No such file or directory"));
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(FolderEntries(dir.path()), before);
}

TEST_F(WriteFault, APathUnderARegularFile) {
  const CliResult r = Convert(dir / "song.mid/out.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, CannotWrite(dir / "song.mid/out.txt", "Not a directory"));
  EXPECT_EQ(FolderEntries(dir.path()), before);
}

TEST_F(WriteFault, AFolderTheUserMayNotWrite) {
  const std::string locked = LockedFolder();
  ExpectUnwritable(locked);
  const CliResult r = Convert(locked + "/out.txt", AsOrdinaryUser(), "", ReachableCli());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, CannotWrite(locked + "/out.txt", "Permission denied"));
  EXPECT_EQ(FolderEntries(locked), std::vector<std::string>{"precious.txt"});
}

TEST_F(WriteFault, AnExistingTargetInAFolderTheUserMayNotWrite) {
  // The user may write the file itself, but not put the new one beside it.
  const std::string locked = LockedFolder();
  const std::string target = locked + "/precious.txt";
  chmod(target.c_str(), 0666);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(target.c_str(), kNobody, kNobody), 0);
  }
  ExpectUnwritable(locked);
  const CliResult r = Convert(target, AsOrdinaryUser(), "", ReachableCli());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, CannotWrite(target, "Permission denied"));
  EXPECT_EQ(ReadFile(target), "keep me\n");
  EXPECT_EQ(FolderEntries(locked), std::vector<std::string>{"precious.txt"});
}

TEST_F(WriteFault, AFullDeviceIsWrittenDirectlyAndStaysADevice) {
  struct stat before, after;
  ASSERT_EQ(stat("/dev/full", &before), 0);
  ASSERT_TRUE(S_ISCHR(before.st_mode)) << "/dev/full is needed";
  ASSERT_EQ(symlink("/dev/full", (dir / "full-link").c_str()), 0);
  for (const std::string& target : {std::string("/dev/full"), dir / "full-link"}) {
    SCOPED_TRACE(target);
    const CliResult r = Convert(target);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, CannotWrite(target, "No space left on device"));
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
  }
  struct stat link;
  ASSERT_EQ(lstat((dir / "full-link").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode)) << "the link stays a link";
  for (const std::string& name : FolderEntries("/dev")) EXPECT_EQ(name.rfind(".tonvert-", 0), std::string::npos) << name;
}

TEST_F(WriteFault, StandardOutputOnAFullDevice) {
  const std::string command = "cd '" + dir.path() + "' && '" + TONVERT_CLI +
                              "' -q -i instruments.ini -d drums.ini -o - song.mid >/dev/full 2>stderr.txt";
  EXPECT_EQ(RunCommand(command), 1);
  EXPECT_EQ(ReadFile(dir / "stderr.txt"), CannotWrite("standard output", "No space left on device"));
}

TEST_F(WriteFault, ANullDeviceIsWrittenDirectly) {
  const CliResult r = Convert("/dev/null");
  EXPECT_EQ(r.status, 0) << r.err;
  struct stat info;
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(WriteFault, TargetsThatAreNoFilesAreRefusedAndKept) {
  ASSERT_EQ(mkdir((dir / "folder.txt").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.txt").c_str(), 0644), 0);
  for (const auto& [name, why] : {std::pair{"folder.txt", "is a folder"}, {"fifo.txt", "is not a regular file"}}) {
    SCOPED_TRACE(name);
    const CliResult r = Convert(dir / name, "timeout 60");  // a FIFO must not block
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, CannotWrite(dir / name, why));
  }
  struct stat info;
  ASSERT_EQ(stat((dir / "fifo.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(stat((dir / "folder.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_TRUE(FolderEntries(dir / "folder.txt").empty());
}

// Every way a run can fail leaves an existing target as it was, mode included.
TEST_F(WriteFault, AnExistingTargetStaysByteIdenticalAfterAnyFailure) {
  const std::string target = dir / "out.txt";
  static const char kPrecious[] = "an earlier song\r\nwith\0bytes\xFF\r\n";
  const std::string precious(kPrecious, sizeof kPrecious - 1);
  WriteFile(target, precious);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  std::vector<std::string> expected = before;
  expected.insert(expected.begin() + 2, "out.txt");

  struct Failure {
    const char* what;
    std::string prefix, options;
    Bytes midi;
    int status;
    std::string err;
  };
  const Bytes song = MultiTrackSong();
  Bytes refused = song, smpte = song;
  refused[3] = 'x';
  smpte[12] = 0xE7;  // 25 frames a second: auto ticks have no quarter note to go by
  const Failure failures[] = {
      {"a header the reader refuses", "", "", refused, 1, "error: Unknown format !! : MThx / 6\n"},
      {"a grid the file cannot give", "", "", smpte, 1,
       "error: This file has no ticks per quarter note: enter the ticks per 1/16 note.\n"},
      {"rows the grid cannot hold", "", "-r 300", song, 2,
       "tonvert-cli: bad rows per pattern \"300\": expected a whole number from 1 to 256\n"},
      // A file size limit cuts the write short; the signal it raises is ignored
      // here so the write itself fails, as on a full disk.
      {"a write cut short", "trap '' XFSZ; ulimit -f 2;", "", song, 1, CannotWrite(target, "File too large")},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    WriteFile(dir / "song.mid", f.midi);
    const CliResult r = Convert(target, f.prefix, f.options);
    EXPECT_EQ(r.status, f.status);
    EXPECT_EQ(r.err, f.err);
    EXPECT_TRUE(ReadFile(target) == precious);
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), expected);
  }

  // The MIDI file itself as the target.
  WriteFile(dir / "song.mid", song);
  const CliResult self = Convert(dir / "song.mid");
  EXPECT_EQ(self.status, 1);
  EXPECT_EQ(self.err, CannotWrite(dir / "song.mid", "is the MIDI file"));
  EXPECT_TRUE(ReadBytes(dir / "song.mid") == song);
  EXPECT_EQ(FolderEntries(dir.path()), expected);

  // And a run that works replaces it whole, keeping its mode.
  const CliResult ok = Convert(target);
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(DocumentProblem(ReadFile(target)), "");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FolderEntries(dir.path()), expected);
}

// The same cut-short write in process, straight through WriteOutputFile.
TEST_F(WriteFault, AWriteCutShortInProcessLeavesNothingBehind) {
  const std::string target = dir / "out.txt";
  WriteFile(target, "old text\n");
  const std::string document(64 * 1024, 'x');

  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct sigaction ignore = {}, previous;
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string whyNot;
  const bool newFile = WriteOutputFile(dir / "new.txt", document, dir / "song.mid", &whyNot);
  const bool oldFile = WriteOutputFile(target, document, dir / "song.mid");
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(newFile);
  EXPECT_EQ(whyNot, "File too large");
  EXPECT_FALSE(oldFile);
  EXPECT_EQ(ReadFile(target), "old text\n");
  std::vector<std::string> expected = before;
  expected.insert(expected.begin() + 2, "out.txt");
  EXPECT_EQ(FolderEntries(dir.path()), expected);
}

}  // namespace
}  // namespace tonvert::test
