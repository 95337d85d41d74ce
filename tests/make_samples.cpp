// Writes the sample directory that the program starts on and the README
// shows: floppy images of each common geometry, TI files with each header
// kind, and plain PC files. Made from the test builders, so nothing opaque
// is kept in the repository.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "support/basic_builder.h"
#include "support/disk_builder.h"

using namespace korvane::test;

namespace {

Bytes BasicProgram() {
  // A tiny BASIC program image: check word, line table end/start, symbol
  // table and the line 10 PRINT "HELLO" END.
  return Bytes{0xAB, 0xCD, 0x37, 0xD7, 0x37, 0xD4, 0x3F, 0xFF, 0x00, 0x0A, 0x37, 0xD8,
               0x09, 0x9C, 0xC7, 0x05, 'H', 'E', 'L', 'L', 'O', 0x00};
}

// A guessing game in TI BASIC tokens, long enough for a listing window.
Bytes GuessProgram() {
  constexpr uint8_t kRem = 0x9A, kRandomize = 0x95, kCall = 0x9D, kPrint = 0x9C, kInput = 0x92, kIf = 0x84,
                    kGoto = 0x86, kEnd = 0x8B, kThen = 0xB0, kSemicolon = 0xB4, kColon = 0xB5, kClose = 0xB6,
                    kOpen = 0xB7, kEquals = 0xBE, kLess = 0xBF, kPlus = 0xC1, kTimes = 0xC3, kInt = 0xCF,
                    kRnd = 0xD7;
  return ProgramImageData({
      {100, Tok({{kRem}, Chars("GUESS THE NUMBER")})},
      {110, Tok({{kRandomize}})},
      {120, Tok({{kCall}, Chars("CLEAR")})},
      {130, Tok({{kPrint}, Quoted("GUESS A NUMBER FROM 1 TO 100")})},
      {140, Tok({Chars("N"), {kEquals, kInt, kOpen, kRnd, kTimes}, Unquoted("100"), {kClose, kPlus}, Unquoted("1")})},
      {150, Tok({Chars("T"), {kEquals}, Unquoted("0")})},
      {160, Tok({{kInput}, Quoted("YOUR GUESS? "), {kColon}, Chars("G")})},
      {170, Tok({Chars("T"), {kEquals}, Chars("T"), {kPlus}, Unquoted("1")})},
      {180, Tok({{kIf}, Chars("G"), {kEquals}, Chars("N"), {kThen}, LineRef(220)})},
      {190, Tok({{kIf}, Chars("G"), {kLess}, Chars("N"), {kThen}, LineRef(210)})},
      {200, Tok({{kPrint}, Quoted("TOO HIGH")})},
      {205, Tok({{kGoto}, LineRef(160)})},
      {210, Tok({{kPrint}, Quoted("TOO LOW")})},
      {215, Tok({{kGoto}, LineRef(160)})},
      {220, Tok({{kPrint}, Quoted("RIGHT IN "), {kSemicolon}, Chars("T"), {kSemicolon}, Quoted(" TRIES!")})},
      {230, Tok({{kInput}, Quoted("PLAY AGAIN (Y/N)? "), {kColon}, Chars("A$")})},
      {240, Tok({{kIf}, Chars("A$"), {kEquals}, Quoted("Y"), {kThen}, LineRef(120)})},
      {250, Tok({{kEnd}})},
  });
}

// A TI-Artist picture pair: the pattern file holds 768 character cells of
// 8 pixel rows in screen order (32 x 24 cells); byte n of the colour file
// colours pattern byte n, foreground in the high four bits. A sun with rays
// in a light blue sky over green hills and a meadow.
std::pair<Bytes, Bytes> SunPicture() {
  constexpr double kPi = 3.14159265358979;
  const auto set = [&](int x, int y) {
    const double dx = x - 128, dy = y - 64, r = std::sqrt(dx * dx + dy * dy);
    if (y >= 150) return (x + 3 * (y % 4)) % 7 == 0;              // meadow: grass ticks
    if (y >= 112) return y > 128 + 10 * std::sin(x * kPi / 48);   // hills
    if (r <= 28) return true;                                     // the sun
    const double angle = std::atan2(dy, dx) * 12 / (2 * kPi);     // twelve rays
    return r >= 36 && r <= 46 && std::abs(angle - std::round(angle)) < 0.08;
  };
  Bytes pattern(6144), colour(6144);
  for (int y = 0; y < 192; ++y) {
    for (int column = 0; column < 32; ++column) {
      const size_t at = static_cast<size_t>(((y / 8) * 32 + column) * 8 + y % 8);
      uint8_t bits = 0;
      for (int b = 0; b < 8; ++b)
        if (set(column * 8 + b, y)) bits = static_cast<uint8_t>(bits | (0x80 >> b));
      pattern[at] = bits;
      // Light yellow on light blue, dark green on light blue, dark green on
      // light green.
      colour[at] = y < 112 ? 0xB5 : y < 150 ? 0xC5 : 0xC3;
    }
  }
  return {pattern, colour};
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

  const auto [sunPattern, sunColour] = SunPicture();
  write("GAMES.dsk", DiskBuilder::Dssd("GAMES")
                         .Add(readme)
                         .Add(hello)
                         .Add(ProgramFile("GUESS", GuessProgram()))
                         .Add(ProgramFile("SUN_P", sunPattern))
                         .Add(ProgramFile("SUN_C", sunColour))
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
