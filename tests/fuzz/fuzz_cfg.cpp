// Any bytes as a configuration file: judging it must neither crash nor read
// outside the file, and what it accepts must be exactly what the program writes.
#include "params/cfg_file.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tvx::params::cfgfile;
  const std::vector<std::uint8_t> file(data, data + size);
  const Contents contents = Inspect(file);
  if (contents.completeImages < 0 || contents.completeImages > Banks) __builtin_trap();
  if (!contents.versionOk && (contents.completeImages != 0 || contents.check != CheckWords::Absent)) __builtin_trap();
  if (contents.check != CheckWords::Absent && (size < FileBytes || contents.completeImages != Banks)) __builtin_trap();

  Images images{};
  std::uint32_t words = 0;
  for (int bank = 0; bank < contents.completeImages; ++bank) {
    const auto image = ImageOf(file, bank);
    for (int i = 0; i < 128; ++i) words ^= ImageWord(image, i);
    std::copy(image.begin(), image.end(), images[bank].begin());
  }
  (void)words;
  // A file whose check words match is, up to its 1548th byte, the file the
  // program would write for its images.
  if (contents.check == CheckWords::Valid) {
    const std::vector<std::uint8_t> again = Compose(images);
    if (!std::equal(again.begin(), again.end(), file.begin())) __builtin_trap();
  }
  return 0;
}
