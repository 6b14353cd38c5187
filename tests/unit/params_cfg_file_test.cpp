// The configuration file format: what a written file holds and how a file's
// bytes are judged before anything of it is sent to the valve.
#include "params/cfg_file.h"

#include <gtest/gtest.h>

namespace tvx::params::cfgfile {
namespace {

using Bytes = std::vector<std::uint8_t>;

Images Filled(std::uint8_t value) {
  Images images;
  for (Image& image : images) image.fill(value);
  return images;
}

TEST(CfgFile, AComposedFileHasTheHeaderTheImagesAndTheCheckWords) {
  const Bytes file = Compose(Filled(0xFF));
  ASSERT_EQ(file.size(), 1548u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x01, 0x03, 0x02, 0x00}));
  // 1536 bytes of 0xFF sum to 0x0005FA00.
  EXPECT_EQ(Bytes(file.begin() + 1540, file.end()), (Bytes{0x00, 0xFA, 0x05, 0x00, 0xFF, 0x05, 0xFA, 0xFF}));

  Images images = Filled(0);
  images[1][4] = 0x78;
  images[1][5] = 0x56;
  images[1][6] = 0x34;
  images[1][7] = 0x12;
  const Bytes other = Compose(images);
  EXPECT_EQ(ImageWord(ImageOf(other, 1), 1), 0x12345678u);
  EXPECT_EQ(DifferingWords(ImageOf(other, 0), ImageOf(other, 1)), 1);
  EXPECT_EQ(Inspect(other).check, CheckWords::Valid);
}

TEST(CfgFile, InspectJudgesVersionCompletenessAndCheckWords) {
  const Bytes good = Compose(Filled(0x5A));
  auto changed = [&](std::size_t offset, std::uint8_t value) {
    Bytes f = good;
    f[offset] = value;
    return f;
  };
  auto cut = [&](std::size_t n) { return Bytes(good.begin(), good.begin() + static_cast<long>(n)); };
  Bytes longer = good;
  longer.resize(4000, 0xEE);
  struct Case {
    const char* what;
    Bytes file;
    bool versionOk;
    int images;
    CheckWords check;
  };
  const Case cases[] = {
      {"complete", good, true, 3, CheckWords::Valid},
      {"trailing bytes are not looked at", longer, true, 3, CheckWords::Valid},
      {"image length 513", changed(3, 0x01), false, 0, CheckWords::Absent},
      {"version 01 02", changed(1, 0x02), false, 0, CheckWords::Absent},
      {"empty", Bytes{}, false, 0, CheckWords::Absent},
      {"header only", cut(4), true, 0, CheckWords::Absent},
      {"a short file", cut(1000), true, 1, CheckWords::Absent},
      {"an old file without check words", cut(1540), true, 3, CheckWords::Absent},
      {"check words cut short", cut(1547), true, 3, CheckWords::Absent},
      {"an image byte changed", changed(1000, 0x5B), true, 3, CheckWords::Invalid},
      {"the sum changed", changed(1541, 0x00), true, 3, CheckWords::Invalid},
      {"the complement changed", changed(1547, 0x00), true, 3, CheckWords::Invalid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Contents contents = Inspect(c.file);
    EXPECT_EQ(contents.versionOk, c.versionOk);
    EXPECT_EQ(contents.completeImages, c.images);
    EXPECT_EQ(contents.check, c.check);
  }
  EXPECT_THROW(ImageOf(cut(1000), 1), std::out_of_range);
}

}  // namespace
}  // namespace tvx::params::cfgfile
