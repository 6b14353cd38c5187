#include "link/comm_error.h"
#include "link/port.h"
#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "platform/serial_port_native.h"
#include "platform/valve_port_lookup.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tvx::platform {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tvx-unit-XXXXXX";
    path_ = ::mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(LineSettings, ValveSettingsOverJunk) {
  // Start from everything set, as a driver with odd defaults might report.
  termios t;
  std::memset(&t, 0xFF, sizeof t);
  LineSettings s = native::FromTermios(t);
  ApplyValveLineSettings(s);
  native::ApplyToTermios(s, t);
  EXPECT_EQ(cfgetispeed(&t), B115200);
  EXPECT_EQ(cfgetospeed(&t), B115200);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(t.c_cflag & PARENB);
  EXPECT_FALSE(t.c_cflag & PARODD);
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_TRUE(t.c_cflag & CLOCAL);
  for (tcflag_t flag : {IXON, IXOFF, IXANY, INPCK, ISTRIP, PARMRK, ICRNL, INLCR, IGNCR})
    EXPECT_FALSE(t.c_iflag & flag) << flag;
  EXPECT_FALSE(t.c_oflag & OPOST);
  for (tcflag_t flag : {ICANON, ECHO, ISIG, IEXTEN}) EXPECT_FALSE(t.c_lflag & flag) << flag;
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  // What the valve does not care about stays as the driver had it.
  EXPECT_TRUE(t.c_cflag & HUPCL);
  EXPECT_EQ(t.c_cc[VINTR], 0xFF);
}

// DTR and RTS go low when the port opens; a pty has no modem lines and says
// so with ENOTTY, which is no failure.
TEST(LineSettings, ValveAsksForDtrAndRtsLow) {
  LineSettings s;
  s.dtr = s.rts = true;
  ApplyValveLineSettings(s);
  const native::ModemLines lines = native::ModemLinesFor(s);
  EXPECT_EQ(lines.lower, TIOCM_DTR | TIOCM_RTS);
  EXPECT_EQ(lines.raise, 0);

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
  const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  EXPECT_TRUE(native::SetModemLines(slave, lines));
  ::close(slave);
  ::close(master);
}

TEST(PortNames, EntryWinsElseTtyACM) {
  TempDir dir;
  fs::create_symlink("/dev/pts/77", dir.path() / "com3");
  EXPECT_EQ(ResolveComName(3, dir.path()), (dir.path() / "com3").string());
  EXPECT_EQ(ResolveComName(1, dir.path()), "/dev/ttyACM0");
  EXPECT_EQ(ResolveComName(16, dir.path()), "/dev/ttyACM15");
  EXPECT_EQ(ResolveComName(0, dir.path()), "/dev/ttyACM-1");
}

TEST(PortNames, FolderFromEnvironment) {
  const char* old = std::getenv(PortMapEnvironmentVariable);
  std::string saved = old ? old : "";
  ::setenv(PortMapEnvironmentVariable, "/tmp/some-ports", 1);
  EXPECT_EQ(PortMapFolder(), "/tmp/some-ports");
  EXPECT_EQ(ComDeviceName(12), "/dev/ttyACM11");
  if (old) ::setenv(PortMapEnvironmentVariable, saved.c_str(), 1);
  else ::unsetenv(PortMapEnvironmentVariable);
}

// A fake sysfs: class/tty/<name>/device -> the USB interface, whose parent
// directory is the USB device with idVendor and idProduct.
void AddTty(const fs::path& root, const std::string& tty, const std::string& usbDevice, const char* vendor,
            const char* product) {
  fs::path dev = root / "devices" / usbDevice;
  fs::path iface = dev / (usbDevice + ":1.0");
  fs::create_directories(iface);
  if (vendor) std::ofstream(dev / "idVendor") << vendor << "\n";
  if (product) std::ofstream(dev / "idProduct") << product << "\n";
  fs::create_directories(root / "class" / "tty" / tty);
  fs::create_symlink(iface, root / "class" / "tty" / tty / "device");
}

TEST(ValveLookup, FindsTheValveTtyInSysfs) {
  TempDir sys;
  AddTty(sys.path(), "ttyACM0", "1-1", "1a86", "7523");
  AddTty(sys.path(), "ttyACM1", "1-2", "0000", "0400");
  fs::create_directories(sys.path() / "class" / "tty" / "ttyS0");  // no device link
  EXPECT_EQ(FindUsbTty(sys.path(), "0000", "0400"), "ttyACM1");
  EXPECT_EQ(FindUsbTty(sys.path(), "0000", "0401"), std::nullopt);
  EXPECT_EQ(FindUsbTty((sys.path() / "missing").string(), "0000", "0400"), std::nullopt);
}

TEST(ValveLookup, DeviceToComNameThroughTheMap) {
  TempDir ports;
  EXPECT_EQ(ComNameForDevice("/dev/ttyACM2", ports.path()), "COM3");
  // An entry that points elsewhere takes COM3 away from ttyACM2.
  fs::create_symlink("/dev/ttyUSB0", ports.path() / "com3");
  EXPECT_EQ(ComNameForDevice("/dev/ttyACM2", ports.path()), std::nullopt);
  EXPECT_EQ(ComNameForDevice("/dev/ttyUSB0", ports.path()), "COM3");
  EXPECT_EQ(ComNameForDevice("/dev/ttyACM16", ports.path()), std::nullopt);  // beyond COM16
}

TEST(ValveLookup, AnnouncementFile) {
  TempDir ports;
  EXPECT_EQ(AnnouncedPortName(ports.path()), std::nullopt);
  std::ofstream(ports.path() / PortNameFile) << "COM7\n";
  EXPECT_EQ(AnnouncedPortName(ports.path()), "COM7");
}

TEST(OpenPortFailure, NamesThePortNumberAndLeavesThePortClosed) {
  TempDir ports;
  ::setenv(PortMapEnvironmentVariable, ports.path().c_str(), 1);
  std::string text, caption;
  link::SetErrorReporter([&](const std::string& t, const std::string& c) {
    text = t;
    caption = c;
  });
  std::vector<bool> indicator;
  link::Port port;
  port.PortIndicatorHook = [&](bool open) { indicator.push_back(open); };
  for (int n : {0, 16}) {
    bool unavailable = false;
    {
      link::PortLockGuard lock(port);
      EXPECT_FALSE(link::OpenPort(port, n, &unavailable));
      EXPECT_TRUE(text.empty());  // no message while the lock is held
    }
    EXPECT_TRUE(unavailable);
    link::ReportPortUnavailable(n);
    EXPECT_EQ(text, " Port szeregowy COM" + std::to_string(n) + " niedostępny!   ");
    EXPECT_EQ(caption, " Informacja o błędzie");
    EXPECT_FALSE(port.PortOpen.load());
    text.clear();
  }
  EXPECT_EQ(indicator, (std::vector<bool>{false, false}));

  // A file that is no terminal cannot be held exclusively as a serial device.
  std::ofstream(ports.path() / "plain") << "x";
  fs::create_symlink(ports.path() / "plain", ports.path() / "com5");
  bool unavailable = false;
  {
    link::PortLockGuard lock(port);
    EXPECT_FALSE(link::OpenPort(port, 5, &unavailable));
  }
  EXPECT_TRUE(unavailable);
  EXPECT_FALSE(port.PortOpen.load());
  EXPECT_EQ(port.PortHandle, InvalidSerialHandle());
  link::SetErrorReporter({});
  ::unsetenv(PortMapEnvironmentVariable);
}

}  // namespace
}  // namespace tvx::platform
