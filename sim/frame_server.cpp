#include "sim/frame_server.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "sim/wire.h"

namespace sim {
namespace {

bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

int hexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

Request parse(std::vector<std::uint8_t> raw) {
  Request r;
  r.raw = std::move(raw);
  r.text.assign(r.raw.begin() + 1, r.raw.end() - 1);
  const auto& b = r.raw;
  const std::size_t n = b.size();
  if (n != proto::ShortRequestLength && n != proto::ValueRequestLength) return r;
  const char letter = static_cast<char>(b[1]);
  if (!isDigit(b[2]) || !isDigit(b[3]) || !isDigit(b[4])) return r;
  const int number = (b[2] - '0') * 100 + (b[3] - '0') * 10 + (b[4] - '0');
  if (n == proto::ShortRequestLength) {
    if (letter != proto::ReadParameterLetter && letter != proto::ReadStateLetter) return r;
  } else {
    if (letter != proto::WriteLetter && letter != proto::CommandLetter) return r;
    if (b[5] != '=') return r;
    std::uint32_t v = 0;
    for (int i = 6; i < 14; ++i) {
      const int d = hexDigit(b[i]);
      if (d < 0) return r;
      v = v << 4 | static_cast<std::uint32_t>(d);
    }
    r.value = v;
  }
  r.letter = letter;
  r.number = number;
  r.valid = true;
  return r;
}

}  // namespace

std::vector<Request> FrameServer::feed(const std::uint8_t* data, std::size_t size) {
  std::vector<Request> out;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = data[i];
    if (c == proto::STX) {  // a new frame, also in the middle of a broken one
      partial_.assign(1, c);
      inFrame_ = true;
      continue;
    }
    if (!inFrame_) continue;
    partial_.push_back(c);
    if (c == proto::ETX) {
      out.push_back(parse(std::move(partial_)));
      partial_.clear();
      inFrame_ = false;
    } else if (partial_.size() >= proto::ValueRequestLength) {
      partial_.clear();  // too long for any request: wait for the next STX
      inFrame_ = false;
    }
  }
  return out;
}

std::vector<std::uint8_t> FrameServer::framed(char letter, int number, std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%03d=%08X", letter, number, static_cast<unsigned>(value));
  std::vector<std::uint8_t> out;
  out.reserve(proto::FramedReplyLength);
  out.push_back(proto::STX);
  out.insert(out.end(), buf, buf + 13);
  out.push_back(proto::ETX);
  return out;
}

std::optional<std::vector<std::uint8_t>> FrameServer::answer(const Request& r) {
  if (!r.valid) return std::nullopt;
  switch (r.letter) {
    case proto::ReadParameterLetter: return framed(r.letter, r.number, model_.readParameter(r.number));
    case proto::ReadStateLetter:
      if (auto raw = model_.readRawState(r.number)) return raw;
      return framed(r.letter, r.number, model_.readState(r.number));
    case proto::WriteLetter: return framed(r.letter, r.number, model_.writeParameter(r.number, r.value));
    case proto::CommandLetter:
      if (r.number == proto::ProfileBankCommand) {
        if (auto raw = model_.readProfileBank(r.value)) return raw;
      }
      return framed(r.letter, r.number, model_.command(r.number, r.value));
    default: return std::nullopt;
  }
}

std::vector<std::uint8_t> FrameServer::process(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out;
  for (const Request& r : feed(data, size)) {
    if (auto reply = answer(r)) out.insert(out.end(), reply->begin(), reply->end());
  }
  return out;
}

// ---- faults ---------------------------------------------------------------------

namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};
constexpr KindName Kinds[] = {
    {FaultKind::Drop, "drop"},       {FaultKind::Delay, "delay"},     {FaultKind::CorruptStx, "stx"},
    {FaultKind::CorruptEtx, "etx"},  {FaultKind::StrayByte, "stray"}, {FaultKind::Truncate, "truncate"},
    {FaultKind::Garbage, "garbage"}, {FaultKind::HangUp, "hangup"},   {FaultKind::Ignore, "ignore"},
    {FaultKind::Noise, "noise"},
};

// Deterministic noise, so that a test knows what a fault sends.
struct NoiseSource {
  std::uint32_t x = 0x2545F491u;
  std::uint32_t next() {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  }
};

bool parseInt(const std::string& s, int& v) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && v >= 0;
}

}  // namespace

std::optional<Fault> parseFault(const std::string& text) {
  Fault f;
  std::string rest;
  bool known = false;
  for (const auto& k : Kinds) {
    const std::string name = k.name;
    if (text.compare(0, name.size(), name) == 0) {
      f.kind = k.kind;
      rest = text.substr(name.size());
      known = true;
    }
  }
  if (!known) return std::nullopt;
  // Count: a trailing "x<digits>" (request texts are upper case, so no clash).
  if (auto x = rest.rfind('x'); x != std::string::npos) {
    if (!parseInt(rest.substr(x + 1), f.count) || f.count < 1) return std::nullopt;
    rest.erase(x);
  }
  if (auto plus = rest.rfind('+'); plus != std::string::npos) {
    int k = 0;
    if (!parseInt(rest.substr(plus + 1), k) || k < 1) return std::nullopt;
    f.skip = k - 1;
    rest.erase(plus);
  }
  if (auto at = rest.find('@'); at != std::string::npos) {
    f.match = rest.substr(at + 1);
    rest.erase(at);
    if (f.match.empty()) return std::nullopt;
  }
  const bool needsParam = f.kind == FaultKind::Delay || f.kind == FaultKind::Truncate;
  if (!rest.empty()) {
    if (rest[0] != ':' || !parseInt(rest.substr(1), f.param)) return std::nullopt;
  } else if (needsParam) {
    return std::nullopt;
  }
  if (f.kind == FaultKind::StrayByte && f.param > 255) return std::nullopt;
  return f;
}

std::string describeFault(const Fault& f) {
  std::string s;
  for (const auto& k : Kinds)
    if (k.kind == f.kind) s = k.name;
  if (f.kind == FaultKind::Delay || f.kind == FaultKind::Truncate || f.kind == FaultKind::StrayByte)
    s += ":" + std::to_string(f.param);
  s += f.match.empty() ? " on the next request" : " on the next request starting with " + f.match;
  if (f.skip > 0) s += ", from matching request " + std::to_string(f.skip + 1) + " on";
  if (f.count > 1) s += ", " + std::to_string(f.count) + " times";
  return s;
}

FaultOutcome applyFault(const Fault& f, std::vector<std::uint8_t> reply) {
  FaultOutcome o;
  switch (f.kind) {
    case FaultKind::Drop:
    case FaultKind::Ignore: break;
    case FaultKind::Delay:
      o.bytes = std::move(reply);
      o.delayMs = f.param;
      break;
    case FaultKind::CorruptStx:
      if (!reply.empty()) reply.front() = reply.front() == '#' ? '$' : '#';
      o.bytes = std::move(reply);
      break;
    case FaultKind::CorruptEtx:
      if (!reply.empty()) reply.back() = reply.back() == '#' ? '$' : '#';
      o.bytes = std::move(reply);
      break;
    case FaultKind::StrayByte:
      o.bytes.push_back(static_cast<std::uint8_t>(f.param));
      o.bytes.insert(o.bytes.end(), reply.begin(), reply.end());
      break;
    case FaultKind::Truncate:
      reply.resize(std::min(reply.size(), static_cast<std::size_t>(f.param)));
      o.bytes = std::move(reply);
      break;
    case FaultKind::Noise:
      if (reply.size() == proto::FramedReplyLength && reply.front() == proto::STX && reply.back() == proto::ETX) {
        NoiseSource noise;
        for (std::size_t i = proto::ReplyValueOffset; i < proto::ReplyValueOffset + 8; ++i)
          reply[i] = static_cast<std::uint8_t>("0123456789ABCDEF"[noise.next() % 16]);
        o.bytes = std::move(reply);
        break;
      }
      [[fallthrough]];
    case FaultKind::Garbage: {
      // Printable noise of the reply's length, never STX or ETX.
      NoiseSource noise;
      o.bytes.resize(reply.size());
      for (auto& b : o.bytes) b = static_cast<std::uint8_t>('!' + noise.next() % 90);
      break;
    }
    case FaultKind::HangUp: o.hangUp = true; break;
  }
  return o;
}

std::optional<Fault> FaultPlan::take(const std::string& text) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (!it->match.empty() && text.compare(0, it->match.size(), it->match) != 0) continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    Fault f = *it;
    if (--it->count <= 0) faults_.erase(it);
    return f;
  }
  return std::nullopt;
}

}  // namespace sim
