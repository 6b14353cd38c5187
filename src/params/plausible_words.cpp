#include "params/plausible_words.h"

#include "link/exchanges.h"
#include "link/protocol.h"
#include "params/conversions.h"

#include <cmath>

namespace tvx::params {

namespace {

constexpr bool CoversEveryRegister() {
  int next = 1;
  for (const PlausibleRange& r : PlausibleParameterWords) {
    if (r.first != next || r.last < r.first) return false;
    next = r.last + 1;
  }
  return next == static_cast<int>(proto::ParameterWords) + 1;
}

}  // namespace

static_assert(CoversEveryRegister(), "one row for every parameter register, in order");

bool PlausibleParameterWord(int reg, std::uint32_t word) {
  for (const PlausibleRange& r : PlausibleParameterWords) {
    if (reg < r.first || reg > r.last) continue;
    switch (r.limit) {
      case WordLimit::Any: return true;
      case WordLimit::Whole: return word <= r.high;
      case WordLimit::Bits: return (word & ~r.bits) == 0;
      case WordLimit::Finite: {
        const double x = WordToFloat(word);
        return std::isfinite(x) && x >= r.low && x <= r.high;
      }
    }
  }
  return true;
}

std::uint32_t ReadParameterWord(link::Port& port, int reg) {
  return link::ReadParameter(port, reg,
                             [reg](std::size_t, std::uint32_t word) { return PlausibleParameterWord(reg, word); });
}

namespace {
// Word k of a block or bank holds register k + 1.
bool PlausibleBlockWord(std::size_t k, std::uint32_t word) {
  return PlausibleParameterWord(static_cast<int>(k) + 1, word);
}
}  // namespace

void ReadParameterBlock(link::Port& port, std::uint8_t* block) {
  link::ReadBlock(port, proto::ParameterBlockRegister, block, PlausibleBlockWord);
}

void ReadProfileImage(link::Port& port, int bank, std::uint8_t* image) {
  link::ReadProfileBank(port, bank, proto::ParameterBlockLength, image, PlausibleBlockWord);
}

void ReadLinTableWords(link::Port& port, int table, int base, std::uint8_t* block) {
  link::ReadLinTable(port, table, block, [base](std::size_t k, std::uint32_t word) {
    return PlausibleParameterWord(base + static_cast<int>(k), word);
  });
}

}  // namespace tvx::params
