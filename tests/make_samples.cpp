// Writes the sample directory that the program starts on and the README
// shows: floppy images of each common geometry, TI files with each header
// kind, and plain PC files. Made from the test builders, so nothing opaque
// is kept in the repository.
#include <cstdio>
#include <string>

#include "support/disk_builder.h"

using namespace korvane::test;

namespace {

Bytes BasicProgram() {
  // A tiny BASIC program image: check word, line table end/start, symbol
  // table and the line 10 PRINT "HELLO" END.
  return Bytes{0xAB, 0xCD, 0x37, 0xD7, 0x37, 0xD4, 0x3F, 0xFF, 0x00, 0x0A, 0x37, 0xD8,
               0x09, 0x9C, 0xC7, 0x05, 'H', 'E', 'L', 'L', 'O', 0x00};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "samples";
  auto write = [&](const std::string& name, const Bytes& bytes) {
    const std::string path = dir + "/" + name;
    std::system(("mkdir -p '" + dir + "'").c_str());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
      std::perror(path.c_str());
      std::exit(1);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  };

  TiFile readme = DisVarFile("README", 80, {"KORVANE SAMPLE DISK", "FILES OF EVERY TYPE", "AND A SUB-DIRECTORY"});
  readme.comment = "sample text";
  TiFile hello = ProgramFile("HELLO", BasicProgram());
  TiFile scores = DisFixFile("SCORES", 32, {"ALICE 1200", "BOB 900", "CAROL 1500"});
  TiFile data = DisFixFile("DATA", 128, {"RECORD 1", "RECORD 2"});
  data.status = 0x02 | 0x08;  // INT/FIX, protected
  TiFile log = DisVarFile("LOG", 254, {"FIRST ENTRY", "SECOND ENTRY"});
  log.status = 0x82;  // INT/VAR
  TiFile big = DisVarFile("BIGTEXT", 80, std::vector<std::string>(200, "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG"));
  big.fragments = {3, 4};
  const uint16_t rest = static_cast<uint16_t>(big.Sectors() - 7);
  big.fragments.push_back(rest);

  write("GAMES.dsk", DiskBuilder::Dssd("GAMES")
                         .Add(readme)
                         .Add(hello)
                         .Add(scores)
                         .Add(data)
                         .Add(log)
                         .Add(big)
                         .AddSubdir("UTIL", {DisVarFile("NOTES", 80, {"IN A SUB-DIRECTORY"})})
                         .Build());
  write("EMPTY.dsk", DiskBuilder::Sssd("EMPTY").Build());
  write("BIGDISK.dsk", DiskBuilder::Dsdd80("BIGDISK").Add(readme).Build());
  write("HELLO.tfi", TifilesFile(hello));
  write("SCORES", V9t9File(scores));
  write("README.tfi", TifilesFile(readme, false));
  write("notes.txt", Bytes{'P', 'l', 'a', 'i', 'n', ' ', 'P', 'C', ' ', 't', 'e', 'x', 't', '\n'});
  std::system(("mkdir -p '" + dir + "/more'").c_str());
  write("more/LOG", V9t9File(log));
  std::printf("samples written to %s\n", dir.c_str());
  return 0;
}
