// The Win32 serial port and registry code on Wine: the line settings we ask
// for, what a pty-backed COM port takes of them, reads that never wait, and
// the valve's port name from the registry.
//
// Wine passes SetCommState on to the pty's termios, and Linux keeps a pty at 8
// data bits without parity whatever is asked (see pty_shim.c), so
// parity cannot be read back here: the DCB we ask for is checked instead, and
// what the pty can hold (115200 baud, 8 data bits, 1 stop bit, no flow
// control) is read back.
#include "link/port.h"
#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "platform/serial_port_native.h"
#include "platform/valve_port_lookup.h"
#include "support/simulated_valve.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tvx::platform {
namespace {

TEST(Win32LineSettings, ValveSettingsOverJunk) {
  // Start from everything set, as a driver with odd defaults might report.
  DCB d;
  std::memset(&d, 0xFF, sizeof d);
  LineSettings s = native::FromDcb(d);
  ApplyValveLineSettings(s);
  native::ApplyToDcb(s, d);
  EXPECT_EQ(d.BaudRate, static_cast<DWORD>(CBR_115200));
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.Parity, EVENPARITY);
  EXPECT_EQ(d.StopBits, ONESTOPBIT);
  EXPECT_TRUE(d.fBinary);
  for (bool flag :
       {bool(d.fOutxCtsFlow), bool(d.fOutxDsrFlow), bool(d.fOutX), bool(d.fInX), bool(d.fDsrSensitivity),
        bool(d.fErrorChar), bool(d.fNull), bool(d.fAbortOnError), bool(d.fParity), bool(d.fTXContinueOnXoff)})
    EXPECT_FALSE(flag);
  EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
}

// Wine does not keep a second CreateFile off an open COM port as Windows does
// (no sharing), so exclusive use is not tested here.
TEST(Win32SerialPort, ConfiguresAPtyBackedComPortAndReadsWithoutWaiting) {
  testing::SimulatedValve valve;
  const std::string name = ComDeviceName(valve.comNumber());
  EXPECT_EQ(name, "\\\\.\\COM3");
  SerialHandle h = OpenSerialDevice(name);
  ASSERT_NE(h, InvalidSerialHandle());

  LineSettings settings;
  ASSERT_TRUE(SetSerialQueueSizes(h, 4096, 4096));
  ASSERT_TRUE(GetLineSettings(h, settings));
  ApplyValveLineSettings(settings);
  ASSERT_TRUE(SetLineSettings(h, settings));
  ASSERT_TRUE(SetImmediateReadTimeouts(h));
  LineSettings back;
  ASSERT_TRUE(GetLineSettings(h, back));
  EXPECT_EQ(back.baudRate, 115200u);
  EXPECT_EQ(back.dataBits, 8);
  EXPECT_EQ(back.stopBits, 1);
  EXPECT_FALSE(back.hardwareFlowControl);
  EXPECT_FALSE(back.softwareFlowControl);

  // Nothing sent yet: a read returns at once with no byte.
  std::uint8_t byte = 0;
  EXPECT_EQ(ReadSerialByte(h, byte), ReadResult::NoByte);
  CloseSerialDevice(h);
  h = OpenSerialDevice(name);  // closing frees the port
  EXPECT_NE(h, InvalidSerialHandle());
  CloseSerialDevice(h);
  EXPECT_EQ(OpenSerialDevice("\\\\.\\COM9"), InvalidSerialHandle());  // no such port
  // The port list of the command line tool asks the same question.
  EXPECT_TRUE(ComPortPresent(valve.comNumber()));
  EXPECT_FALSE(ComPortPresent(9));
}

// The USB device's key in the registry, written and removed by the test.
class ValveRegistryKey {
 public:
  ValveRegistryKey() {
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, platform::ValveRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              ERROR_SUCCESS);
  }
  ~ValveRegistryKey() {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, platform::ValveRegistryKey);
  }
  void set(DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key_, "PortName", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

 private:
  HKEY key_ = nullptr;
};

TEST(Win32Registry, ValvePortNameFromTheUsbDevicesKey) {
  EXPECT_FALSE(ValvePortName().has_value()) << "no valve entered yet";
  {
    ValveRegistryKey key;
    key.set(REG_SZ, "COM7", 5);
    EXPECT_EQ(ValvePortName(), std::optional<std::string>("COM7"));
    const DWORD number = 7;
    key.set(REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(ValvePortName().has_value()) << "a value of another type names no port";
  }
  EXPECT_FALSE(ValvePortName().has_value());
}

}  // namespace
}  // namespace tvx::platform
