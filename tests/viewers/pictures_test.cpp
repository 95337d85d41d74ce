// Pictures drawn into the RGB bitmap: sizes, colours, runs and their wrap,
// partner files of TI-Artist pairs, short data, and the GIF hand-over.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <tuple>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "viewers/gif_picture.h"
#include "viewers/pictures.h"

namespace korvane {
namespace {

using test::Bytes;
using test::TempDir;
using test::TiFile;

constexpr int M = kPictureMargin;
constexpr Rgb kGrey = kPictureGrey;

// MYART data: the first record's two unused bytes (and palette), then runs.
Bytes Myart(const Bytes& prefix, const std::vector<std::pair<uint8_t, uint8_t>>& runs) {
  Bytes data = prefix;
  for (auto [a, b] : runs) data.push_back(a), data.push_back(b);
  data.resize((data.size() + 127) / 128 * 128, 0);
  return data;
}

RgbImage DrawMyartBytes(const Bytes& data, int mode, uint16_t records, test::RecordingReporter&) {
  MemoryData source(ByteView(data.data(), data.size()), "ART");
  RgbImage image = MakeMyartBitmap(mode);
  DrawMyart(source, mode, records, "ART       ", "art.tfi", image);
  return image;
}

TEST(Myart, Mode256_RunsTakeTheirColourWrapAtTheLineEndAndZeroMeans256) {
  test::RecordingReporter reporter;
  // Colour E3h: green 7, red 0, blue 3. A run of 246, then 30 pixels that
  // only get 10 before the line ends; then a zero-length (256) run.
  const Bytes data = Myart({0, 0}, {{0xE3, 246}, {0x1C, 30}, {0x02, 0}, {0x03, 1}});
  const RgbImage image = DrawMyartBytes(data, kPictureMyart256, 1, reporter);
  EXPECT_EQ(image.width(), 276);
  EXPECT_EQ(image.height(), 232);
  EXPECT_EQ(image.At(M, M), (Rgb{0, 254, 255}));
  EXPECT_EQ(image.At(M + 245, M), (Rgb{0, 254, 255}));
  EXPECT_EQ(image.At(M + 246, M), (Rgb{254, 0, 0}));  // 1Ch: red 7
  EXPECT_EQ(image.At(M + 255, M), (Rgb{254, 0, 0}));
  EXPECT_EQ(image.At(M + 256, M), kGrey);              // margin, never painted
  EXPECT_EQ(image.At(M, M + 1), (Rgb{0, 0, 170}));     // the 256 run fills line 2
  EXPECT_EQ(image.At(M + 255, M + 1), (Rgb{0, 0, 170}));
  EXPECT_EQ(image.At(M, M + 2), (Rgb{0, 0, 255}));
  EXPECT_EQ(image.At(M + 1, M + 2), (Rgb{0, 0, 0}));  // the record's zero fill is a black run
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(Myart, Mode512_PaletteScalingAndNineBitLengths) {
  test::RecordingReporter reporter;
  Bytes prefix(34, 0);
  prefix[2 + 2 * 1] = 0x77, prefix[3 + 2 * 1] = 0x07;  // entry 1: 254, 254, 254
  prefix[2 + 2 * 2] = 0x70, prefix[3 + 2 * 2] = 0x00;  // entry 2: 254, 0, 0
  prefix[2 + 2 * 3] = 0x03, prefix[3 + 2 * 3] = 0x04;  // entry 3: 0, 145, 109
  const Bytes data = Myart(prefix, {{0x11, 0x00}, {0x20, 0x00}, {0x30, 0x05}});
  const RgbImage image = DrawMyartBytes(data, kPictureMyart512, 1, reporter);
  EXPECT_EQ(image.width(), 532);
  EXPECT_EQ(image.At(M, M), (Rgb{254, 254, 254}));
  EXPECT_EQ(image.At(M + 255, M), (Rgb{254, 254, 254}));  // 01h 00h: 256 pixels
  EXPECT_EQ(image.At(M + 256, M), (Rgb{254, 0, 0}));      // the 512 run is cut at the line end
  EXPECT_EQ(image.At(M + 511, M), (Rgb{254, 0, 0}));
  EXPECT_EQ(image.At(M, M + 1), (Rgb{0, 145, 109}));
  EXPECT_EQ(image.At(M + 5, M + 1), (Rgb{0, 0, 0}));  // zero fill: entry 0, 512 pixels
}

TEST(Myart, ShortRecordsStopTheDrawingAndGifIsRefused) {
  test::RecordingReporter reporter;
  Bytes data = Myart({0, 0}, {{0xFF, 0}, {0xFF, 0}});
  data.resize(64);  // half a record; the header promises 3
  const RgbImage image = DrawMyartBytes(data, kPictureMyart256, 3, reporter);
  // Two white lines, 29 black ones from the zero fill, then nothing.
  EXPECT_EQ(image.At(M + 100, M + 1), (Rgb{254, 254, 255}));
  EXPECT_EQ(image.At(M, M + 30), (Rgb{0, 0, 0}));
  EXPECT_EQ(image.At(M, M + 31), kGrey);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <0> from <art.tfi>");

  reporter.errors.clear();
  Bytes gif = Myart({'g', 'I', 'F', '8', '9', 'a'}, {});
  MemoryData source(ByteView(gif.data(), gif.size()), "ART");
  RgbImage image2 = MakeMyartBitmap(kPictureMyart256);
  EXPECT_EQ(DrawMyart(source, kPictureMyart256, 1, "ART       ", "art", image2), MyartResult::kNotMyart);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Not a MYART file <ART       >");
}

// A pane over a directory of picture files.
struct PicturePane {
  explicit PicturePane(const TempDir& dir) {
    pane.locationPath = dir.path();
    EXPECT_TRUE(ReadLocation(pane));
  }
  int Index(const std::string& pcName) const {
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == pcName) return i;
    ADD_FAILURE() << "no row " << pcName;
    return -1;
  }
  PaneState pane;
};

// Pattern: cell k has its top row set to k & 0xFF; colour byte n = F4h
// (white on dark blue) for every byte.
TiFile PatternFile(const std::string& name, uint16_t sectors = 24) {
  Bytes data(size_t{sectors} * 256, 0);
  for (size_t cell = 0; cell < data.size() / 8; ++cell) data[cell * 8] = 0x80;
  return test::ProgramFile(name, data);
}
TiFile ColourFile(const std::string& name, uint16_t sectors = 24) {
  return test::ProgramFile(name, Bytes(size_t{sectors} * 256, 0xF4));
}

TEST(TiArtist, PartnerFilesAreFoundByName_AndPictureDrawsWithTheirColours) {
  test::RecordingReporter reporter;
  TempDir dir;
  dir.Write("PIC_P", test::V9t9File(PatternFile("PIC_P")));
  dir.Write("PIC_C", test::V9t9File(ColourFile("PIC_C")));
  dir.Write("ODD_P", test::V9t9File(PatternFile("ODD_P")));
  dir.Write("ODD_C", test::V9t9File(ColourFile("ODD_C", 3)));
  PicturePane p(dir);

  const Picture pattern = ShowTiArtist(p.pane, p.Index("PIC_P"));
  ASSERT_TRUE(pattern.ok);
  EXPECT_EQ(pattern.image.width(), 276);
  EXPECT_EQ(pattern.image.height(), 212);
  EXPECT_EQ(pattern.image.At(M, M), (Rgb{255, 255, 255}));        // set bit: foreground 15
  EXPECT_EQ(pattern.image.At(M + 1, M), (Rgb{0, 0, 128}));        // clear bit: background 4
  EXPECT_EQ(pattern.image.At(M + 255, M + 191), (Rgb{0, 0, 128}));
  EXPECT_EQ(pattern.image.At(M - 1, M), kGrey);
  EXPECT_EQ(pattern.title, "Korvane - " + dir.path() + "->PIC_P      (size= 6144 bytes: 256x192)");
  EXPECT_EQ(pattern.safeName, "PIC_P");

  // Selecting the colour file shows the same picture.
  const Picture colour = ShowTiArtist(p.pane, p.Index("PIC_C"));
  ASSERT_TRUE(colour.ok);
  EXPECT_EQ(colour.image.pixels(), pattern.image.pixels());

  // A colour file that is not 24 sectors is not a partner: blue on grey.
  const Picture odd = ShowTiArtist(p.pane, p.Index("ODD_P"));
  EXPECT_EQ(odd.image.At(M, M), (Rgb{0, 0, 255}));
  EXPECT_EQ(odd.image.At(M + 1, M), kGrey);
  EXPECT_TRUE(reporter.errors.empty());

  // Selected as the colour file, that short file colours itself and is too short.
  const Picture self = ShowTiArtist(p.pane, p.Index("ODD_C"));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read TI-Artist colortable <ODD_C     >");
  EXPECT_EQ(self.image.At(M + 1, M), kGrey);
}

TEST(TiArtist, PatternFileCutShort_DrawsWhatCameAndReports) {
  test::RecordingReporter reporter;
  TempDir dir;
  Bytes file = test::V9t9File(PatternFile("CUT_P"));
  file.resize(128 + 2 * 256 + 12);  // two sectors and a cell and a half
  dir.Write("CUT_P", file);
  PicturePane p(dir);
  const Picture cut = ShowTiArtist(p.pane, p.Index("CUT_P"));
  EXPECT_TRUE(cut.ok);
  EXPECT_EQ(cut.image.At(M, M + 8 * 2), (Rgb{0, 0, 255}));    // cell 64, the first of sector 2
  EXPECT_EQ(cut.image.At(M + 8, M + 8 * 2), (Rgb{0, 0, 255}));  // cell 65: its first 4 rows came
  EXPECT_EQ(cut.image.At(M + 16, M + 8 * 2), kGrey);            // cell 66 never came
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <2> from <CUT_P>");
}

TEST(Charset, GlyphCountFollowsTheProgramSize) {
  test::RecordingReporter reporter;
  auto glyphs = [&](size_t dataBytes) {
    Bytes data(dataBytes, 0xFF);
    data[0] = 0, data[1] = 0, data[2] = 0x08, data[3] = 0x00, data[4] = 0x03, data[5] = 0x00;
    MemoryData source(ByteView(data.data(), data.size()), "CHARS");
    RgbImage image = MakeCharsetBitmap();
    uint16_t vdp = 0, size = 0;
    EXPECT_TRUE(DrawCharset(source, static_cast<uint16_t>(dataBytes), "chars", image, vdp, size));
    EXPECT_EQ(vdp, 0x0800);
    EXPECT_EQ(size, 0x0300);
    int count = 0;
    for (int k = 0; k < 16 * 13; ++k)
      if (image.At(M + 16 * (k % 16), M + 16 * (k / 16)) == kPictureWhite) ++count;
    EXPECT_EQ(image.At(M + 8, M), kPictureBlue);  // glyphs are 8 pixels wide in 16-pixel cells
    return count;
  };
  EXPECT_EQ(glyphs(6 + 8 * 200), 192);
  EXPECT_EQ(glyphs(6 + 20), 2);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(Gif, DetectionCopyAndViewerCommand) {
  test::RecordingReporter reporter;
  EXPECT_TRUE(IsGifData(ByteView(reinterpret_cast<const uint8_t*>("gif89a"), 6)));
  EXPECT_FALSE(IsGifData(ByteView(reinterpret_cast<const uint8_t*>("GI"), 2)));

  TempDir dir;
  Bytes picture(3 * 128);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 7);
  std::copy_n("GIF89a", 6, picture.begin());
  TiFile gif = test::DisFixFile("PIC", 128, {});
  gif.data = picture;
  gif.data.resize(512, 0xEE);
  gif.recordsPerSector = 2;
  gif.level3 = 3;
  dir.Write("PIC", test::V9t9File(gif));
  TiFile text = test::DisFixFile("TEXT", 128, {"HELLO"});
  dir.Write("TEXT", test::V9t9File(text));
  PicturePane p(dir);
  const CatalogEntry& gifRow = p.pane.rows[static_cast<size_t>(p.Index("PIC"))];
  const CatalogEntry& textRow = p.pane.rows[static_cast<size_t>(p.Index("TEXT"))];
  EXPECT_EQ(GifTest(p.pane, gifRow), 0);
  EXPECT_EQ(GifTest(p.pane, textRow), 1);

  const std::string out = dir.path() + "/out.gif";
  ASSERT_TRUE(WriteGifFile(p.pane, gifRow, out));
  EXPECT_EQ(test::ReadFile(out), picture);  // exactly the level-3 count of records
  EXPECT_FALSE(WriteGifFile(p.pane, textRow, out));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Not a GIF file <TEXT>");

  EXPECT_EQ(PictureViewerArguments("viewer.exe", "/tmp/ti_pic.gif"),
            (std::vector<std::string>{"viewer.exe", "/tmp/ti_pic.gif"}));
  EXPECT_EQ(PictureViewerArguments("\"my viewer\" --full", "p"),
            (std::vector<std::string>{"my viewer", "--full", "p"}));
  EXPECT_EQ(StartPictureViewer("", "p"), -1);
  // Started without a shell: the path arrives as one argument, untouched.
  const pid_t pid = StartPictureViewer("test -f", out);
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A child of this process that has ended and was not collected, or 0.
pid_t ZombieChild(pid_t pid = 0) {
  siginfo_t info{};
  const idtype_t which = pid > 0 ? P_PID : P_ALL;
  if (waitid(which, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return 0;
  return info.si_pid;
}

TEST(Gif, AViewerStartedByEnterIsCollectedLikeTheOthers) {
  test::RecordingReporter reporter;
  TempDir dir;
  TiFile gif = test::DisFixFile("PIC", 128, {});
  gif.data.assign(256, 0);
  std::copy_n("GIF89a", 6, gif.data.begin());
  gif.recordsPerSector = 2;
  gif.level3 = 2;
  dir.Write("PIC", test::V9t9File(gif));
  PicturePane p(dir);
  const std::string saved = GetNameSettings().picViewer;
  GetNameSettings().picViewer = "true";

  // Enter on the row hands the picture to the viewer and stays where it is.
  EXPECT_FALSE(EnterRow(p.pane, p.Index("PIC")));
  pid_t first = 0;
  for (int i = 0; i < 1000 && first == 0; ++i) {
    first = ZombieChild();
    if (first == 0) usleep(10000);
  }
  ASSERT_GT(first, 0) << "the viewer never ended";

  // The next start collects the one that ended: no zombie is left behind.
  EXPECT_FALSE(EnterRow(p.pane, p.Index("PIC")));
  EXPECT_EQ(ZombieChild(first), 0);
  if (ZombieChild(first) != 0) waitpid(first, nullptr, 0);  // none left behind by a failed check
  // The second one is on the list the program collects from.
  const std::vector<pid_t> started = StartedPictureViewers();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(waitpid(started[0], nullptr, 0), started[0]);
  ReapPictureViewers();
  EXPECT_TRUE(StartedPictureViewers().empty());
  GetNameSettings().picViewer = saved;
  EXPECT_TRUE(reporter.errors.empty());
}

class CorpusPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IsDirectory(std::string(KORVANE_CORPUS_DIR) + "/classic99"))
      GTEST_SKIP() << "corpus folder " KORVANE_CORPUS_DIR " is absent";
    pane.locationPath = std::string(KORVANE_CORPUS_DIR) + "/classic99";
    ASSERT_TRUE(ReadLocation(pane));
  }
  int Index(const std::string& name) {
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == name) return i;
    return -1;
  }
  // How many pixels of the picture area are neither grey nor the given colour.
  static int Coloured(const RgbImage& image) {
    int n = 0;
    for (int y = M; y < image.height() - M; ++y)
      for (int x = M; x < image.width() - M; ++x)
        if (!(image.At(x, y) == kGrey)) ++n;
    return n;
  }
  PaneState pane;
};

TEST_F(CorpusPictures, RealTiArtistPairsAndFontDraw) {
  test::RecordingReporter reporter;
  for (const char* name : {"HUMBIRD_P", "HUMBIRD_C", "LOGO_P"}) {
    const Picture p = ShowTiArtist(pane, Index(name));
    ASSERT_TRUE(p.ok) << name;
    EXPECT_GT(Coloured(p.image), 1000) << name;
    // With its colour file, the picture uses more than the two colours of
    // the blue-on-grey fallback.
    std::set<std::tuple<int, int, int>> colours;
    for (int y = M; y < 192 + M; ++y)
      for (int x = M; x < 256 + M; ++x) {
        const Rgb c = p.image.At(x, y);
        colours.insert({c.r, c.g, c.b});
      }
    EXPECT_GT(colours.size(), 2u) << name;
  }
  const Picture font = ShowCharset(pane, Index("FONT1"));
  ASSERT_TRUE(font.ok);
  EXPECT_NE(font.title.find("(size= 0 bytes, Vdp address >0000)"), std::string::npos);
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
