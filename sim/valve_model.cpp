#include "sim/valve_model.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "sim/wire.h"
#include "sim/state_file.h"

namespace sim {
namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double AmpsPerCount = 3.3 / 4096.0;
constexpr std::int64_t MaxStepNs = 200'000;  // integration step, 0.2 ms
constexpr double CoilTau = 0.012;            // L/R of a solenoid, s
constexpr double SpoolOmega = 2 * Pi * 9.0;  // natural frequency of the spool
constexpr double SpoolZeta = 0.75;
constexpr double HeatTau = 90.0;  // coil heating of the board, s
constexpr std::uint32_t PidScale = 1000;

std::uint32_t floatBits(float f) { return std::bit_cast<std::uint32_t>(f); }
float bitsFloat(std::uint32_t w) { return std::bit_cast<float>(w); }
std::uint32_t yesNo(bool b) { return b ? proto::MarkerTrue : proto::MarkerFalse; }

void putLe(std::vector<std::uint8_t>& out, std::uint32_t w) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
}

// Configuration-word bits the model acts on.
enum CfgBit : int {
  Bit3Pos = 0,
  BitVoltage = 1,
  BitLvdt = 2,
  BitDither = 4,
  BitWatchdog = 6,
  BitReportDac = 7,
  BitDynPid = 9,
  BitRamp = 10,
  BitMedian = 17,
  BitXpidLvdt = 19,
  BitRampOnly = 20,
  BitRemote = 21,
  BitService = 31,
};

// Switch commands: command number -> configuration-word bit.
int switchBit(int command) {
  switch (command) {
    case 7: return 15;    // PID version 2
    case 8: return 17;    // median filter
    case 10: return 19;   // dynamic PID near the LVDT zero
    case 12: return 10;   // ramp
    case 13: return 22;   // integrator limits
    case 14: return 23;   // fast filtering
    case 15: return 20;   // near-zero PID only in ramp mode
    case 20: return 24;   // current monitor follows the sign
    case 21: return 16;   // hold on low supply
    case 22: return 7;    // trace shows the monitor source
    case 23: return 8;    // DAC smoothing
    case 24: return 9;    // dynamic PID for a large error
    case 26: return 18;   // ramp delay for a set-value change
    case 27: return 4;    // dither
    case 28: return 11;   // power stage sequence
    case 30: return 5;    // DAC averaged over the dither period
    case 31: return 6;    // watchdog
    case 110: return 31;  // service mode
    default: return -1;
  }
}

std::string defaultDeviceType(const ValveConfig& c) {
  std::string t = "PRV-06 ";
  t += c.threePositions ? "3P" : "2P";
  t += c.voltageInput ? " U" : " I";
  if (c.lvdt) t += " LVDT";
  t += " 24V";
  return t;
}

void putText(std::array<std::uint8_t, 40>& dst, const std::string& s) {
  dst.fill(0);
  std::memcpy(dst.data(), s.data(), std::min(s.size(), dst.size()));
}

std::string getText(const std::array<std::uint8_t, 40>& src) {
  std::string s(src.begin(), src.end());
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

}  // namespace

struct ValveModel::Impl {
  mutable std::mutex mu;
  ValveConfig cfg;
  Clock clock;

  std::array<std::uint32_t, 129> params{};  // index 1..128
  std::array<Bank, 3> user{}, factory{};
  int active = 0;
  std::array<std::uint8_t, 40> serial{}, type{};

  // Stored state.
  bool remote = false;
  float remoteSet = 0.0f;
  float analogInput = 0.0f;
  double peakA = 0, peakB = 0;  // in counts
  std::uint32_t diagMax = 0;
  std::uint32_t diagNumber = 0;
  std::vector<std::uint32_t> history{20, 14};
  std::size_t historyPos = 0;
  std::uint32_t stop = NoStop;
  float critical = 0.0f;
  bool manualDac = false;
  std::uint32_t dacManual = 2048;
  bool breakpoint = false;
  std::uint32_t pwmValues = 0, pwmEnable = 0;
  float calibration = 0.0f;
  std::function<void(float)> calibrationListener;
  double usupplyMax = 0.0;
  float tempMax = -100.0f;
  std::map<int, std::uint32_t> overrides;
  std::map<int, std::uint32_t> extraState;
  std::map<int, std::vector<std::uint8_t>> rawBlocks;
  std::map<int, std::uint32_t> commandCounts;
  std::vector<std::uint32_t> loadBuffer;

  // Dynamics, advanced to time tNs.
  std::int64_t tNs = 0;
  double iA = 0, iB = 0, pos = 0, vel = 0, heat = 0;
  // Where the ramps have brought the currents the set value asks for.
  double rampA = 0, rampB = 0;

  // Trace recorder.
  std::vector<TraceRecord> samples;
  std::int64_t nextSampleNs = 0;
  std::int64_t periodNs = 500'000;
  std::size_t readPtr = 0;
  std::vector<TraceRecord> script;  // served instead of `samples` when not empty

  std::int64_t now() const { return clock().count(); }
  bool bit(int b) const { return (params[1] >> b) & 1u; }
  float pf(int reg) const { return bitsFloat(params[reg]); }

  // ---- set value and targets ----------------------------------------------
  double setValueAt(std::int64_t t) const {
    if (!remote) return analogInput;
    const std::uint32_t wave = params[108] & 7u;
    if (wave == 0 || !bit(BitVoltage)) return remoteSet;
    const double ts = static_cast<double>(t) * 1e-9;
    const double amp = pf(105), freq = pf(106), off = pf(107);
    if (!std::isfinite(amp) || !std::isfinite(freq) || !std::isfinite(off)) return remoteSet;
    double phase = std::fmod(ts * freq, 1.0);
    if (phase < 0) phase += 1.0;
    double w = 0;
    if (wave == 1) w = std::sin(2 * Pi * phase);
    else if (wave == 2) w = phase < 0.5 ? 1.0 : -1.0;
    else if (wave == 4) w = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
    return std::clamp(off + amp * w, -10.0, 10.0);
  }

  // Set value normalised to -1..1 (0..1 for a two-position valve).
  double normalised(double s) const {
    const bool three = bit(Bit3Pos);
    double n;
    if (bit(BitVoltage)) {
      const double zone = pf(22);
      if (std::isfinite(zone) && std::fabs(s) * 1000.0 < zone) s = 0;
      n = s / 10.0;
    } else {
      n = three ? (s - 12.0) / 8.0 : (s - 4.0) / 16.0;
    }
    if (!std::isfinite(n)) n = 0;
    return std::clamp(n, three ? -1.0 : 0.0, 1.0);
  }

  static double safe(float f, double fallback) { return std::isfinite(f) ? f : fallback; }

  double currentFor(double frac, int minReg, int maxReg, int deadReg) const {
    if (frac <= 0) return 0;
    const double dead = safe(pf(deadReg), 0.0);
    if (frac * 100.0 < dead) return 0;
    const double lo = safe(pf(minReg), 0.0), hi = safe(pf(maxReg), 0.0);
    return lo + (hi - lo) * frac;
  }

  std::uint32_t pwmMax() const { return cfg.pwmMaximum; }

  // Command 29 values from 1000 up to 4000 are the calibration modes: no
  // current, or the current above 2000 (coil A) or 3000 (coil B).
  static bool calibrating(float value) { return value >= 1000.0f && value < 4000.0f; }

  // The currents the coils are driven towards. `followA` / `followB` tell
  // whether that coil follows the set value, so that its ramp applies.
  void currentTargets(std::int64_t t, double& tA, double& tB, bool& followA, bool& followB) const {
    const double n = normalised(setValueAt(t));
    tA = currentFor(n, 3, 4, 12);
    tB = bit(Bit3Pos) ? currentFor(-n, 5, 6, 13) : 0.0;
    followA = followB = true;
    if (calibrating(calibration)) {
      tA = tB = 0;
      if (calibration >= 3000.0f) tB = calibration - 3000.0f;
      else if (calibration >= 2000.0f) tA = calibration - 2000.0f;
      followA = followB = false;
    }
    const double imaxA = safe(pf(4), 1.0), imaxB = safe(pf(6), 1.0);
    const double full = pwmMax() > 0 ? pwmMax() : 1.0;
    if (pwmEnable & 1u) {
      tA = imaxA * 1.25 * (pwmValues >> 16) / full;
      followA = false;
    }
    if (pwmEnable & 2u) {
      tB = imaxB * 1.25 * (pwmValues & 0xFFFFu) / full;
      followB = false;
    }
    if (stop != NoStop) {
      tA = tB = 0;
      followA = followB = false;
    }
    const double limit = safe(pf(11), 0.0);
    if (limit > 0) {
      tA = std::min(tA, limit);
      tB = std::min(tB, limit);
    }
    tA = std::max(tA, 0.0);
    tB = std::max(tB, 0.0);
  }

  // The spool moves with the magnetic force, i.e. with the current above Imin.
  double positionFor(double iCoilA, double iCoilB) const {
    auto frac = [&](double i, int minReg, int maxReg) {
      const double lo = safe(pf(minReg), 0.0), hi = safe(pf(maxReg), 1.0);
      if (hi - lo <= 1e-6 || i <= lo * 0.5) return 0.0;
      return std::clamp((i - lo) / (hi - lo), 0.0, 1.2);
    };
    return 10.0 * (frac(iCoilA, 3, 4) - frac(iCoilB, 5, 6));
  }

  void targets(std::int64_t t, double& tA, double& tB, double& tPos) const {
    bool rA, rB;
    currentTargets(t, tA, tB, rA, rB);
    tPos = positionFor(tA, tB);
  }

  // With the ramp switched on (bit 10), a current that follows the set value
  // rises from 0 to the coil's maximum in the rise time and falls back in the
  // fall time (registers 70/71 for coil A, 72/73 for coil B, in seconds).
  bool rampOn() const { return bit(BitRamp); }
  double ramped(double from, double to, double dt, int riseReg, int fallReg, int maxReg) const {
    const double time = safe(pf(to > from ? riseReg : fallReg), 0.0);
    const double full = safe(pf(maxReg), 0.0);
    if (time <= 0 || full <= 0) return to;
    const double most = full / time * dt;
    return to > from ? std::min(to, from + most) : std::max(to, from - most);
  }

  // The currents the coils follow now: the targets after the ramps.
  void rampedTargets(std::int64_t t, double dt, double& tA, double& tB) {
    bool rA, rB;
    currentTargets(t, tA, tB, rA, rB);
    rampA = rA && rampOn() ? ramped(rampA, tA, dt, 70, 71, 4) : tA;
    rampB = rB && rampOn() ? ramped(rampB, tB, dt, 72, 73, 6) : tB;
    tA = rampA;
    tB = rampB;
  }

  // ---- integration ------------------------------------------------------------
  void step(std::int64_t dtNs, std::int64_t tEnd) {
    const double dt = static_cast<double>(dtNs) * 1e-9;
    double tA, tB;
    rampedTargets(tEnd, dt, tA, tB);
    const double tPos = positionFor(tA, tB);
    const double k = std::exp(-dt / CoilTau);
    iA = tA + (iA - tA) * k;
    iB = tB + (iB - tB) * k;
    heat = 4.0 * (iA * iA + iB * iB) + (heat - 4.0 * (iA * iA + iB * iB)) * std::exp(-dt / HeatTau);
    if (dt > 0.002) {  // a long quiet stretch: the spool has long settled
      pos = tPos;
      vel = 0;
    } else {
      vel += dt * (SpoolOmega * SpoolOmega * (tPos - pos) - 2 * SpoolZeta * SpoolOmega * vel);
      pos += dt * vel;
    }
    peakA = std::max(peakA, iA / AmpsPerCount);
    peakB = std::max(peakB, iB / AmpsPerCount);
    usupplyMax = std::max(usupplyMax, usupplyAt(tEnd));
  }

  bool settled(std::int64_t t) const {
    if (remote && (params[108] & 7u) != 0) return false;
    double tA, tB, tPos;
    targets(t, tA, tB, tPos);
    if (std::fabs(rampA - tA) > 1e-9 || std::fabs(rampB - tB) > 1e-9) return false;  // a ramp is under way
    return std::fabs(iA - tA) < 1e-7 && std::fabs(iB - tB) < 1e-7 && std::fabs(pos - tPos) < 1e-7 &&
           std::fabs(vel) < 1e-7;
  }

  bool recording() const { return samples.size() < proto::TraceSamples; }

  void advanceTo(std::int64_t t) {
    // After a long unobserved stretch only the last second matters for the state.
    if (!recording() && t - tNs > 2'000'000'000) {
      const double gap = static_cast<double>(t - 1'000'000'000 - tNs) * 1e-9;
      const double h = 4.0 * (iA * iA + iB * iB);
      heat = h + (heat - h) * std::exp(-gap / HeatTau);
      tNs = t - 1'000'000'000;
    }
    while (tNs < t) {
      std::int64_t next = std::min(t, tNs + MaxStepNs);
      if (recording()) next = std::min(next, nextSampleNs);
      if (next == tNs + MaxStepNs && settled(tNs)) {
        // Nothing moves but supply and temperature: jump to the next event.
        next = recording() ? std::min(t, nextSampleNs) : t;
      }
      if (next > tNs) {
        step(next - tNs, next);
        tNs = next;
      }
      if (recording() && tNs >= nextSampleNs) {
        record();
        nextSampleNs += periodNs;
      }
    }
  }

  void update() { advanceTo(now()); }

  // ---- live values ------------------------------------------------------------
  double usupplyAt(std::int64_t t) const {
    const double s = static_cast<double>(t) * 1e-9;
    return 24.05 + 0.11 * std::sin(2 * Pi * 0.37 * s) + 0.03 * std::sin(2 * Pi * 5.3 * s) - 0.04 * (iA + iB);
  }
  double upower() const { return usupplyAt(tNs) - 0.45 - 0.25 * (iA + iB); }
  double temperature() const {
    const double s = static_cast<double>(tNs) * 1e-9;
    return 31.0 + 6.5 * (1 - std::exp(-s / 600.0)) + 0.25 * std::sin(2 * Pi * s / 53.0) + heat;
  }
  double correction(int reg) const {
    const double c = safe(pf(reg), 1.0);
    return (c > 0.5 && c < 2.0) ? c : 1.0;
  }
  double ripple(double freq, double amp) const {
    return amp * std::sin(2 * Pi * freq * (static_cast<double>(tNs) * 1e-9));
  }
  double coilA() const {
    double i = iA * correction(14);
    if (bit(BitDither) && iA > 0.01) i += ripple(7.1, 0.0015);
    return std::max(i, 0.0);
  }
  double coilB() const {
    double i = iB * correction(15);
    if (bit(BitDither) && iB > 0.01) i += ripple(6.7, 0.0015);
    return std::max(i, 0.0);
  }
  // The sensor's signal as the electronics measure it, before the zero and
  // gain corrections (registers 100 and 110) that the LVDT reading applies.
  double lvdtRaw() const { return cfg.lvdt ? pos + ripple(11.0, 0.0008) : 0.0; }
  double lvdt() const {
    if (!cfg.lvdt) return 0.0;
    return lvdtRaw() * safe(pf(110), 1.0) + safe(pf(100), 0.0);
  }
  std::uint32_t dacState() const {
    if (manualDac) return dacManual;
    const double full = safe(pf(121), 1.0);
    const double x = full > 1e-6 ? (iA - iB) / full : 0.0;
    return static_cast<std::uint32_t>(std::clamp(std::lround(2048 + x * 1986), 0L, 4095L));
  }
  std::uint32_t pwmCount(double i, int maxReg, int enableBit, std::uint32_t manual) const {
    if (pwmEnable & enableBit) return std::min(manual, pwmMax());
    const double hi = safe(pf(maxReg), 1.0);
    if (hi <= 1e-6) return 0;
    return static_cast<std::uint32_t>(std::clamp(i / hi * 0.8 * pwmMax(), 0.0, double(pwmMax())));
  }
  std::uint32_t cycleTime() const {
    std::uint32_t base = 96;
    if (bit(BitMedian)) base += 18;
    if (bit(BitDynPid) || bit(BitXpidLvdt)) base += 11;
    if (cfg.lvdt && bit(BitLvdt)) base += 7;
    const auto ms = static_cast<std::uint64_t>(tNs / 1'000'000);
    return base + static_cast<std::uint32_t>((ms * 2654435761u >> 7) % 19u);
  }
  std::uint32_t pidMode() const {
    if (bit(BitDynPid)) {
      const double limit = safe(pf(114), 2.0);
      double tA, tB, tPos;
      targets(tNs, tA, tB, tPos);
      if (std::fabs(tPos - pos) > limit) return 2;
    }
    if (bit(BitXpidLvdt) && std::fabs(pos) < 0.5) return 1;
    if (bit(BitRamp) && std::fabs(vel) > 1.0) return 3;
    return 0;
  }

  void record() {
    TraceRecord s{};
    auto raw = [](double amps) {
      return static_cast<std::uint16_t>(std::clamp(std::lround(amps / AmpsPerCount), 0L, 0xFFFEL));
    };
    const std::uint16_t a = raw(iA * correction(14)), b = raw(iB * correction(15));
    std::uint32_t p;
    if (bit(BitReportDac)) {
      std::uint32_t v = 0;
      const std::uint32_t pa = pwmCount(iA, 4, 1, pwmValues >> 16);
      const std::uint32_t pb = pwmCount(iB, 6, 2, pwmValues & 0xFFFFu);
      switch (params[120]) {
        case 2: v = std::max(pa, pb); break;
        case 3: v = pa; break;
        case 4: v = pb; break;
        case 5: v = static_cast<std::uint32_t>(PidScale * std::min(1.0, iA / std::max(1e-6, safe(pf(4), 1.0)))); break;
        case 6: v = static_cast<std::uint32_t>(PidScale * std::min(1.0, iB / std::max(1e-6, safe(pf(6), 1.0)))); break;
        default: v = dacState(); break;
      }
      p = (pidMode() << 16) | (v & 0xFFFFu);
    } else {
      p = floatBits(static_cast<float>(lvdt()));
    }
    const double n = normalised(setValueAt(tNs));
    const std::uint32_t sv = floatBits(static_cast<float>(n * 10.0));
    s[0] = static_cast<std::uint8_t>(a & 0xFF);
    s[1] = static_cast<std::uint8_t>(a >> 8);
    s[2] = static_cast<std::uint8_t>(b & 0xFF);
    s[3] = static_cast<std::uint8_t>(b >> 8);
    for (int i = 0; i < 4; ++i) {
      s[4 + i] = static_cast<std::uint8_t>(p >> (8 * i));
      s[8 + i] = static_cast<std::uint8_t>(sv >> (8 * i));
    }
    samples.push_back(s);
  }

  void restartRecorder() {
    update();
    std::uint32_t divider = params[96] ? params[96] : 1;
    std::uint32_t pwm = params[2] ? params[2] : 2000;
    periodNs = static_cast<std::int64_t>(divider) * 1'000'000'000LL / pwm;
    if (periodNs <= 0) periodNs = 1;
    samples.clear();
    readPtr = 0;
    record();  // sample 0 is taken at the restart itself
    nextSampleNs = tNs + periodNs;
  }

  std::vector<std::uint8_t> traceChunk() {
    update();
    std::vector<std::uint8_t> out;
    out.reserve(proto::TraceChunkLength);
    const auto& served = script.empty() ? samples : script;
    for (int i = 0; i < 5; ++i, ++readPtr) {
      if (readPtr < served.size()) {
        out.insert(out.end(), served[readPtr].begin(), served[readPtr].end());
      } else {
        out.push_back(0xFF);
        out.push_back(0xFF);
        out.insert(out.end(), 10, 0);
      }
    }
    readPtr = std::min(readPtr, proto::TraceSamples);
    return out;
  }

  // ---- state registers ----------------------------------------------------------
  std::uint32_t state(int reg, bool consume) {
    update();
    if (auto it = overrides.find(reg); it != overrides.end()) {
      if (reg == 6 && consume) ++historyPos;
      return it->second;
    }
    double tA, tB, tPos;
    switch (reg) {
      case 1: return yesNo(remote);
      case 2: return floatBits(static_cast<float>(setValueAt(tNs)));
      case 3: return static_cast<std::uint32_t>(std::lround(peakA));
      case 4: return static_cast<std::uint32_t>(std::lround(peakB));
      case 5: diagMax = std::max(diagMax, cycleTime()); return diagMax;
      case 6: {
        std::uint32_t code = historyPos < history.size() ? history[historyPos] : 0;
        if (consume && historyPos < history.size()) ++historyPos;
        return code;
      }
      case 7:
      case 8: {
        targets(tNs, tA, tB, tPos);
        double v;
        if (bit(BitLvdt)) v = reg == 7 ? std::max(tPos, 0.0) : std::max(-tPos, 0.0);
        else v = reg == 7 ? tA : tB;
        return floatBits(static_cast<float>(v));
      }
      case 11: return stop;
      case 12: {
        auto raw = [&](int r) {
          return static_cast<std::uint32_t>(std::clamp(std::lround(safe(pf(r), 0.0) / AmpsPerCount), 0L, 0xFFFFL));
        };
        return raw(4) | (raw(6) << 16);
      }
      case 13: return dacState();
      case 14: return yesNo(manualDac);
      case 15: return floatBits(static_cast<float>(usupplyAt(tNs)));
      case 16: return floatBits(static_cast<float>(upower()));
      case 18: return floatBits(static_cast<float>(temperature()));
      case 19: return floatBits(static_cast<float>(coilA()));
      case 20: return floatBits(static_cast<float>(coilB()));
      case 21: return floatBits(static_cast<float>(lvdt()));
      case 22: return floatBits(static_cast<float>(usupplyMax));
      case 23: {
        if (!cfg.in2Present) return floatBits(0.0f);
        const double v = bit(BitVoltage) ? 2.5 + ripple(0.21, 0.004) : 8.0 + ripple(0.21, 0.006);
        return floatBits(static_cast<float>(v));
      }
      case 25: return diagNumber;
      case 26: return floatBits(critical);
      case 27: return (pwmMax() << 16) | (pwmEnable & 0xFFFFu);
      case 28: return pwmValues;
      case 29: return static_cast<std::uint32_t>(active);
      case 30: return cfg.firmware;
      case 34: return floatBits(static_cast<float>(lvdt()));
      case 38: return pwmMax() | (PidScale << 16);
      case 39: return yesNo(cfg.boardVariant);
      case 42: return yesNo(cfg.in2Present);
      case 43: {
        const double t = temperature();
        const auto limit = static_cast<double>(params[115] ? params[115] : 65);
        if (t >= limit) tempMax = std::max(tempMax, static_cast<float>(t));
        return floatBits(tempMax);
      }
      default: {
        auto it = extraState.find(reg);
        return it == extraState.end() ? 0 : it->second;
      }
    }
  }

  void setStoredState(int reg, std::uint32_t v) {
    update();
    switch (reg) {
      case 1: setRemote(v == proto::MarkerTrue); return;
      case 2: (remote ? remoteSet : analogInput) = bitsFloat(v); return;
      case 3: peakA = v; return;
      case 4: peakB = v; return;
      case 5: diagMax = v; return;
      case 11: stop = v; return;
      case 14: manualDac = v == proto::MarkerTrue; return;
      case 22: usupplyMax = bitsFloat(v); return;
      case 25: diagNumber = v; return;
      case 26: critical = bitsFloat(v); return;
      case 27: pwmEnable = v & 3u; return;
      case 28: pwmValues = v; return;
      case 29:
        if (v <= 2) active = static_cast<int>(v);
        else overrides[reg] = v;
        return;
      case 30: cfg.firmware = v; return;
      case 39: cfg.boardVariant = v == proto::MarkerTrue; return;
      case 42: cfg.in2Present = v == proto::MarkerTrue; return;
      case 43: tempMax = bitsFloat(v); return;
      default: break;
    }
    static const int Live[] = {6, 7, 8, 12, 13, 15, 16, 18, 19, 20, 21, 23, 34, 38};
    if (std::find(std::begin(Live), std::end(Live), reg) != std::end(Live)) {
      overrides[reg] = v;
    } else {
      extraState[reg] = v;
    }
  }

  void setCalibration(float value) {
    const bool changed = value != calibration;
    calibration = value;
    if (changed && calibrationListener) calibrationListener(value);
  }

  void setRemote(bool on) {
    // Taking over starts from the set value the analogue input gives now.
    if (on && !remote) remoteSet = analogInput;
    remote = on;
    syncRemoteBit();
  }

  void syncRemoteBit() {
    if (remote) params[1] |= 1u << BitRemote;
    else params[1] &= ~(1u << BitRemote);
  }

  // ---- EEPROM -------------------------------------------------------------------
  Bank working() const { return ValveModel::imageOf(params); }
  void loadWorking(const Bank& b) {
    update();
    for (int k = 1; k <= 128; ++k) {
      std::uint32_t w = 0;
      for (int i = 0; i < 4; ++i) w |= std::uint32_t(b[4 * (k - 1) + i]) << (8 * i);
      params[k] = w;
    }
  }

  void factoryReset() {
    const Bank img = ValveModel::imageOf(ValveModel::factoryParameters(cfg));
    for (auto& b : user) b = img;
    for (auto& b : factory) b = img;
    active = 0;
    putText(serial, cfg.serialNumber);
    putText(type, cfg.deviceType.empty() ? defaultDeviceType(cfg) : cfg.deviceType);
  }

  bool save() {
    if (cfg.stateFile.empty()) return true;
    StateImage img{user, factory, active, serial, type};
    std::string error;
    if (!writeStateFile(cfg.stateFile, img, error)) {
      std::cerr << "valve-sim: cannot save the EEPROM state to " << cfg.stateFile << ": " << error << "\n";
      return false;
    }
    return true;
  }

  void load() {
    factoryReset();
    if (cfg.stateFile.empty()) return;
    StateImage img;
    std::string error;
    const StateLoad r = readStateFile(cfg.stateFile, img, error);
    if (r == StateLoad::Loaded) {
      user = img.user;
      factory = img.factory;
      active = img.active;
      serial = img.serial;
      type = img.type;
    } else if (r == StateLoad::Corrupt) {
      // Keep the damaged file for inspection instead of overwriting it later.
      const std::string aside = cfg.stateFile + ".corrupt";
      const bool kept = std::rename(cfg.stateFile.c_str(), aside.c_str()) == 0;
      std::cerr << "valve-sim: EEPROM state file " << cfg.stateFile << " is unusable (" << error
                << "); starting from factory defaults"
                << (kept ? ", the damaged file is kept as " + aside : std::string()) << "\n";
    }
  }

  std::uint32_t compareBanks() const {
    std::uint32_t bits = 0;
    for (int i = 0; i < 3; ++i)
      if (user[i] != factory[i]) bits |= 1u << i;
    return 0xAAAA0000u | bits;
  }

  void resetValve() {
    update();
    loadWorking(user[active]);
    remote = false;
    syncRemoteBit();
    remoteSet = 0;
    manualDac = false;
    pwmEnable = 0;
    pwmValues = 0;
    setCalibration(0.0f);
    breakpoint = false;
    historyPos = 0;
    diagMax = 0;
    loadBuffer.clear();
    restartRecorder();
  }

  std::uint32_t command(int n, std::uint32_t arg) {
    update();
    ++commandCounts[n];
    if (int b = switchBit(n); b >= 0) {
      if (arg == proto::MarkerTrue) params[1] |= 1u << b;
      else params[1] &= ~(1u << b);
      return arg;
    }
    if (n >= 90 && n <= 109) {
      auto& text = n < 100 ? serial : type;
      const int k = (n < 100 ? n - 90 : n - 100) * 4;
      for (int i = 0; i < 4; ++i) text[k + i] = static_cast<std::uint8_t>(arg >> (8 * i));
      save();
      return arg;
    }
    switch (n) {
      case 1: setRemote(arg == proto::MarkerTrue); return arg;
      case 2: restartRecorder(); return arg;
      case 3:
        remoteSet = bitsFloat(arg);
        restartRecorder();
        return arg;
      case 17: remoteSet = bitsFloat(arg); return arg;
      case 4: dacManual = std::min<std::uint32_t>(arg, 4095); return dacManual;
      case 5: manualDac = arg == proto::MarkerTrue; return arg;
      case 6: breakpoint = arg == proto::MarkerTrue; return arg;
      case 9:
        if (stop == 11 || stop == 12 || stop == 21) {
          stop = NoStop;
          critical = 0;
          return proto::MarkerTrue;
        }
        return proto::MarkerFalse;
      case 11: readPtr = 0; return arg;
      case 18: pwmValues = std::min(arg >> 16, pwmMax()) << 16 | std::min(arg & 0xFFFFu, pwmMax()); return arg;
      case 19: pwmEnable = arg & 3u; return arg;
      case 25: diagNumber = cycleTime(); return arg;
      case 29: {
        const float f = bitsFloat(arg);
        setCalibration(std::isfinite(f) && calibrating(f) ? f : 0.0f);
        return arg;
      }
      case 984: return arg == 0xAAAA5503u ? compareBanks() : arg;
      case 985:
        if (arg == 0xAAAA5555u) {
          factory = user;
          save();
        }
        return arg;
      case 986:
        if (arg == 0xAAAA5555u) {
          user = factory;
          save();
        }
        return arg;
      case 987:
        if ((arg & 0xFFFFFF00u) == 0xAAAA5500u && (arg & 0xFFu) <= 2) {
          user[arg & 0xFFu] = factory[arg & 0xFFu];
          save();
        }
        return arg;
      case 988:
        if (arg == 0xAAAA5555u) loadBuffer.clear();
        return arg;
      case 989:
        if (loadBuffer.size() < proto::ParameterWords) loadBuffer.push_back(arg);
        return arg;
      case 990:
        if ((arg & 0xFFFFFF00u) == 0xAA55AA00u && (arg & 0xFFu) <= 2) {
          Bank& b = user[arg & 0xFFu];
          for (std::size_t k = 0; k < loadBuffer.size(); ++k)
            for (int i = 0; i < 4; ++i) b[4 * k + i] = static_cast<std::uint8_t>(loadBuffer[k] >> (8 * i));
          loadBuffer.clear();
          save();
        }
        return arg;
      case 992: tempMax = -100.0f; return arg;
      case 993:
        if (arg == proto::OneShot) peakA = 0;
        else if (arg == 0xAAAA5555u) peakB = 0;
        return arg;
      case 994:
        if (arg == proto::OneShot) {
          params = ValveModel::factoryParameters(cfg);
          syncRemoteBit();
        }
        return arg;
      case 995:
        if ((arg & 0xFFFFFF00u) == 0xAA55AA00u && (arg & 0xFFu) <= 2) {
          active = static_cast<int>(arg & 0xFFu);
          loadWorking(user[active]);
          syncRemoteBit();
          save();
        }
        return arg;
      case 996: usupplyMax = 0; return arg;
      case 997: historyPos = 0; return arg;
      case 998:
        if (arg == proto::OneShot) resetValve();
        return arg;
      case 999:
        if (arg == proto::OneShot) {
          user[active] = working();
          save();
        }
        return arg;
      default: return arg;
    }
  }
};

// ---- construction ---------------------------------------------------------------

TraceRecord makeTraceRecord(std::uint16_t coilA, std::uint16_t coilB, std::uint32_t position, std::uint32_t setValue) {
  TraceRecord r{};
  r[0] = static_cast<std::uint8_t>(coilA & 0xFF);
  r[1] = static_cast<std::uint8_t>(coilA >> 8);
  r[2] = static_cast<std::uint8_t>(coilB & 0xFF);
  r[3] = static_cast<std::uint8_t>(coilB >> 8);
  for (int i = 0; i < 4; ++i) {
    r[4 + i] = static_cast<std::uint8_t>(position >> (8 * i));
    r[8 + i] = static_cast<std::uint8_t>(setValue >> (8 * i));
  }
  return r;
}

ValveModel::ValveModel(ValveConfig config, Clock clock) : d_(std::make_unique<Impl>()) {
  d_->cfg = std::move(config);
  if (!clock) {
    const auto epoch = std::chrono::steady_clock::now();
    clock = [epoch] { return std::chrono::steady_clock::now() - epoch; };
  }
  d_->clock = std::move(clock);
  d_->tNs = d_->now();
  d_->load();
  d_->loadWorking(d_->user[d_->active]);
  d_->analogInput = d_->cfg.voltageInput ? 0.0f : (d_->cfg.threePositions ? 12.0f : 4.0f);
  d_->restartRecorder();  // a valve records from power-on
}

ValveModel::~ValveModel() = default;

std::array<std::uint32_t, 129> ValveModel::factoryParameters(const ValveConfig& c) {
  std::array<std::uint32_t, 129> p{};
  auto f = [&](int reg, float v) { p[reg] = floatBits(v); };
  std::uint32_t word = 0;
  if (c.threePositions) word |= 1u << Bit3Pos;
  if (c.voltageInput) word |= 1u << BitVoltage;
  if (c.lvdt) word |= 1u << BitLvdt;
  word |= 1u << BitDither;
  word |= 1u << BitWatchdog;
  word |= 1u << 22;  // integrator limits
  p[1] = word;
  p[2] = 2000;
  f(3, 0.200f);
  f(4, 1.600f);
  f(5, c.threePositions ? 0.200f : 0.0f);
  f(6, c.threePositions ? 1.600f : 0.0f);
  f(11, 2.500f);
  f(12, 2.0f);
  f(13, 2.0f);
  f(14, 1.0f);
  f(15, 1.0f);
  f(16, c.voltageInput ? 160.0f : 100.0f);
  f(17, c.voltageInput ? 160.0f : 100.0f);
  f(18, 2.5f);
  f(19, 0.8f);
  f(20, 0.05f);
  p[21] = 128;
  f(22, 50.0f);
  for (int i = 0; i <= 10; ++i) {
    const auto x = static_cast<float>(i);
    f(23 + i, 10.0f * x);
    f(34 + i, 10.0f * x);
    f(45 + i, 10.0f * x);
    f(56 + i, 10.0f * x);
    f(74 + i, -100.0f + 20.0f * x);
    f(85 + i, -100.0f + 20.0f * x);
  }
  p[67] = 0x003FFFFFu;  // errors 1 to 22 handled
  f(68, 1.0f);
  f(69, 1.0f);
  // Ramp times in seconds (used while the ramp is switched on, bit 10).
  f(70, 0.8f);
  f(71, 0.4f);
  f(72, 0.8f);
  f(73, 0.4f);
  p[96] = 1;
  f(97, 0.0f);
  f(98, 1.0f);
  f(99, 1.0f);
  f(100, 0.0f);
  f(101, 0.3f);
  f(102, 0.3f);
  f(103, 1.5f);
  f(104, 0.4f);
  f(105, 5.0f);
  f(106, 1.0f);
  f(107, 0.0f);
  p[108] = 0;
  p[109] = 0x1F;
  f(110, 1.0f);
  f(111, 4.0f);
  f(112, 1.2f);
  f(113, 1.2f);
  f(114, 2.0f);
  p[115] = 65;
  p[116] = 70;
  p[117] = 100;
  p[118] = 100;
  p[119] = 100;
  p[120] = 1;
  f(121, 1.6f);
  p[122] = 100;
  return p;
}

Bank ValveModel::imageOf(const std::array<std::uint32_t, 129>& params) {
  Bank b{};
  for (int k = 1; k <= 128; ++k)
    for (int i = 0; i < 4; ++i) b[4 * (k - 1) + i] = static_cast<std::uint8_t>(params[k] >> (8 * i));
  return b;
}

// ---- requests ---------------------------------------------------------------------

std::uint32_t ValveModel::readParameter(int reg) {
  std::lock_guard lk(d_->mu);
  return reg >= 1 && reg <= 128 ? d_->params[reg] : 0;
}

std::uint32_t ValveModel::writeParameter(int reg, std::uint32_t v) {
  std::lock_guard lk(d_->mu);
  if (reg >= 1 && reg <= 128) {
    d_->update();
    d_->params[reg] = v;
    if (reg == 1) d_->setRemote((v >> BitRemote) & 1u);  // bit 21 carries the remote state
  }
  return v;
}

std::uint32_t ValveModel::readState(int reg) {
  std::lock_guard lk(d_->mu);
  return d_->state(reg, true);
}

std::uint32_t ValveModel::command(int number, std::uint32_t arg) {
  std::lock_guard lk(d_->mu);
  return d_->command(number, arg);
}

std::optional<std::vector<std::uint8_t>> ValveModel::readRawState(int reg) {
  std::lock_guard lk(d_->mu);
  if (auto it = d_->rawBlocks.find(reg); it != d_->rawBlocks.end()) return it->second;
  std::vector<std::uint8_t> out;
  switch (reg) {
    case proto::TraceChunkRegister: return d_->traceChunk();
    case proto::ParameterBlockRegister: {
      const Bank b = d_->working();
      return std::vector<std::uint8_t>(b.begin(), b.end());
    }
    case proto::SecondBlockRegister: {
      // The working set followed by the factory copy of the active profile.
      const Bank b = d_->working();
      out.assign(b.begin(), b.end());
      out.insert(out.end(), d_->factory[d_->active].begin(), d_->factory[d_->active].end());
      return out;
    }
    case 35:
    case 36:
    case 37: {
      static const int Base[] = {23, 45, 74};
      const int base = Base[reg - 35];
      for (int i = 0; i < proto::LinTableValues; ++i) putLe(out, d_->params[base + i]);
      return out;
    }
    case proto::SerialNumberRegister: return std::vector<std::uint8_t>(d_->serial.begin(), d_->serial.end());
    case proto::DeviceTypeRegister: return std::vector<std::uint8_t>(d_->type.begin(), d_->type.end());
    default: return std::nullopt;
  }
}

std::optional<std::vector<std::uint8_t>> ValveModel::readProfileBank(std::uint32_t arg) {
  std::lock_guard lk(d_->mu);
  if ((arg & 0xFFFF0000u) != proto::ProfileBankBase) return std::nullopt;
  ++d_->commandCounts[proto::ProfileBankCommand];
  const std::size_t length = arg & 0xFFFu;
  const std::size_t bank = (arg >> 12) & 3u;
  std::vector<std::uint8_t> out(length, 0xFF);  // beyond the bank: erased EEPROM
  if (bank < 3) std::copy_n(d_->user[bank].begin(), std::min(length, BankBytes), out.begin());
  return out;
}

// ---- scripting ---------------------------------------------------------------------

std::uint32_t ValveModel::parameter(int reg) const {
  std::lock_guard lk(d_->mu);
  return reg >= 1 && reg <= 128 ? d_->params[reg] : 0;
}

void ValveModel::setParameter(int reg, std::uint32_t value) {
  std::lock_guard lk(d_->mu);
  if (reg >= 1 && reg <= 128) {
    d_->update();
    d_->params[reg] = value;
  }
}

void ValveModel::setParameterFloat(int reg, float value) { setParameter(reg, floatBits(value)); }

std::uint32_t ValveModel::peekState(int reg) {
  std::lock_guard lk(d_->mu);
  return d_->state(reg, false);
}

float ValveModel::peekStateFloat(int reg) { return bitsFloat(peekState(reg)); }

void ValveModel::setState(int reg, std::uint32_t value) {
  std::lock_guard lk(d_->mu);
  d_->setStoredState(reg, value);
}

void ValveModel::setStateFloat(int reg, float value) { setState(reg, floatBits(value)); }

void ValveModel::overrideState(int reg, std::uint32_t value) {
  std::lock_guard lk(d_->mu);
  d_->overrides[reg] = value;
}

void ValveModel::clearOverride(int reg) {
  std::lock_guard lk(d_->mu);
  d_->overrides.erase(reg);
}

void ValveModel::setRawBlock(int reg, std::vector<std::uint8_t> bytes) {
  std::lock_guard lk(d_->mu);
  d_->rawBlocks[reg] = std::move(bytes);
}

void ValveModel::clearRawBlock(int reg) {
  std::lock_guard lk(d_->mu);
  d_->rawBlocks.erase(reg);
}

void ValveModel::setErrorHistory(std::vector<std::uint32_t> codes) {
  std::lock_guard lk(d_->mu);
  d_->history = std::move(codes);
  d_->historyPos = 0;
}

std::vector<std::uint32_t> ValveModel::errorHistory() const {
  std::lock_guard lk(d_->mu);
  return d_->history;
}

void ValveModel::setStop(std::uint32_t code, float criticalValue) {
  std::lock_guard lk(d_->mu);
  d_->update();
  d_->stop = code;
  d_->critical = code == NoStop ? 0.0f : criticalValue;
}

std::uint32_t ValveModel::stopCode() const {
  std::lock_guard lk(d_->mu);
  return d_->stop;
}

std::string ValveModel::serialNumber() const {
  std::lock_guard lk(d_->mu);
  return getText(d_->serial);
}

std::string ValveModel::deviceType() const {
  std::lock_guard lk(d_->mu);
  return getText(d_->type);
}

void ValveModel::setSerialNumber(const std::string& text) {
  std::lock_guard lk(d_->mu);
  putText(d_->serial, text);
}

void ValveModel::setDeviceType(const std::string& text) {
  std::lock_guard lk(d_->mu);
  putText(d_->type, text);
}

int ValveModel::activeProfile() const {
  std::lock_guard lk(d_->mu);
  return d_->active;
}

Bank ValveModel::userBank(int bank) const {
  std::lock_guard lk(d_->mu);
  return d_->user.at(static_cast<std::size_t>(bank));
}

Bank ValveModel::factoryBank(int bank) const {
  std::lock_guard lk(d_->mu);
  return d_->factory.at(static_cast<std::size_t>(bank));
}

void ValveModel::setUserBank(int bank, const Bank& image) {
  std::lock_guard lk(d_->mu);
  d_->user.at(static_cast<std::size_t>(bank)) = image;
}

void ValveModel::setFactoryBank(int bank, const Bank& image) {
  std::lock_guard lk(d_->mu);
  d_->factory.at(static_cast<std::size_t>(bank)) = image;
}

Bank ValveModel::workingImage() const {
  std::lock_guard lk(d_->mu);
  return d_->working();
}

bool ValveModel::remote() const {
  std::lock_guard lk(d_->mu);
  return d_->remote;
}

float ValveModel::setValue() const {
  std::lock_guard lk(d_->mu);
  return static_cast<float>(d_->setValueAt(d_->now()));
}

float ValveModel::calibration() const {
  std::lock_guard lk(d_->mu);
  return d_->calibration;
}

bool ValveModel::inCalibration() const { return calibration() != 0.0f; }

void ValveModel::setCalibrationListener(std::function<void(float)> listener) {
  std::lock_guard lk(d_->mu);
  d_->calibrationListener = std::move(listener);
}

std::string describeCalibration(float value) {
  char amps[32];
  if (value >= 3000.0f) {
    std::snprintf(amps, sizeof amps, "%.3f", value - 3000.0f);
    return std::string("LVDT calibration, coil B at ") + amps + " A";
  }
  if (value >= 2000.0f) {
    std::snprintf(amps, sizeof amps, "%.3f", value - 2000.0f);
    return std::string("LVDT calibration, coil A at ") + amps + " A";
  }
  if (value >= 1000.0f) return "LVDT calibration, no current in the coils";
  return "LVDT calibration off";
}

bool ValveModel::breakpoint() const {
  std::lock_guard lk(d_->mu);
  return d_->breakpoint;
}

std::uint32_t ValveModel::commandCount(int number) const {
  std::lock_guard lk(d_->mu);
  auto it = d_->commandCounts.find(number);
  return it == d_->commandCounts.end() ? 0 : it->second;
}

std::size_t ValveModel::recordedSamples() {
  std::lock_guard lk(d_->mu);
  d_->update();
  return d_->samples.size();
}

std::chrono::nanoseconds ValveModel::samplePeriod() const {
  std::lock_guard lk(d_->mu);
  return std::chrono::nanoseconds(d_->periodNs);
}

void ValveModel::setTraceRecording(std::vector<TraceRecord> samples) {
  std::lock_guard lk(d_->mu);
  if (samples.size() > proto::TraceSamples) samples.resize(proto::TraceSamples);
  d_->script = std::move(samples);
  d_->readPtr = 0;
}

std::optional<std::pair<int, std::uint32_t>> parseStateHold(const std::string& text) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 >= text.size()) return std::nullopt;
  const std::string reg = text.substr(0, eq), value = text.substr(eq + 1);
  if (reg.find_first_not_of("0123456789") != std::string::npos || reg.size() > 3) return std::nullopt;
  const int number = std::stoi(reg);
  if (number < 1) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  std::string lower = value;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool isFloat = value.find('.') != std::string::npos || lower.find("nan") != std::string::npos ||
                       lower.find("inf") != std::string::npos;
  if (isFloat) {
    const float f = std::strtof(value.c_str(), &end);
    if (errno != 0 || !end || *end) return std::nullopt;
    return std::make_pair(number, floatBits(f));
  }
  const bool hex = lower.rfind("0x", 0) == 0;
  if (value[0] == '-' || value[0] == '+' || (hex && value.size() == 2)) return std::nullopt;
  const unsigned long long w = std::strtoull(value.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || !end || *end || w > 0xFFFFFFFFull) return std::nullopt;
  return std::make_pair(number, static_cast<std::uint32_t>(w));
}

bool ValveModel::saveState() {
  std::lock_guard lk(d_->mu);
  return d_->save();
}

}  // namespace sim
