#pragma once
// Serial ports as the transmit code uses them: PTT and FSK keying switch the modem-control
// lines and the break condition; the TinyFSK keyer is written to and read from. The Win32
// shell implements this over CreateFileW, GetCommState/BuildCommDCB/SetCommState,
// SetupComm, SetCommTimeouts, EscapeCommFunction, ReadFile/WriteFile, CancelIo and
// QueryDosDeviceW; tests script it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace kestrel {

// The line functions of a port, with the values of the Windows escape functions.
enum class SerialLineAction : std::uint32_t {
    setRts = 3,
    clearRts = 4,
    setDtr = 5,
    clearDtr = 6,
    setBreak = 8,
    clearBreak = 9,
};

// How an open can fail, as far as the callers tell the cases apart.
enum class SerialOpenError { none, fileNotFound, accessDenied, other };

// Overlapped ports are only used for their lines; plain ports are read and written.
enum class SerialAccess { overlapped, plain };

// The port's time-outs in milliseconds, as the system keeps them.
struct SerialTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

// The largest time-out: as a read interval it makes a read return at once with what has
// arrived.
inline constexpr std::uint32_t kSerialMaxTimeout = 0xFFFFFFFFu;

// One open port. Every call reports success; after close() every call fails.
class SerialPort {
  public:
    virtual ~SerialPort() = default;  // closes the port if it is still open
    virtual bool close() = 0;

    // The port keeps one configuration record: read it from the driver, change it from a
    // mode text such as "9600,n,8,1", write it back.
    virtual bool readState() = 0;
    virtual bool buildState(std::string_view definition) = 0;
    virtual bool writeState() = 0;
    virtual bool setQueueSizes(std::uint32_t input, std::uint32_t output) = 0;
    virtual bool setTimeouts(const SerialTimeouts& timeouts) = 0;

    virtual bool lineAction(SerialLineAction action) = 0;

    // Reads what has arrived, at most buffer.size() bytes, into buffer; got is the count.
    virtual bool read(std::span<std::uint8_t> buffer, std::size_t& got) = 0;
    // Writes bytes; written is the count the driver took.
    virtual bool write(std::span<const std::uint8_t> bytes, std::size_t& written) = 0;
    // Cancels the pending reads and writes the calling code started on this port.
    virtual void cancelPending() = 0;
    // The system's error number after the last failed call.
    virtual std::uint32_t lastError() = 0;
};

// The system's serial ports: opening one by device path, and whether a device name exists.
class SerialPorts {
  public:
    virtual ~SerialPorts() = default;
    // Opens the device path (such as "\\.\COM3") for reading and writing, unshared, as an
    // existing device. Returns null and sets error when it cannot.
    virtual std::unique_ptr<SerialPort> open(std::string_view devicePath, SerialAccess access,
                                             SerialOpenError& error) = 0;
    // Whether the device-name table knows the name (such as "COM3").
    virtual bool deviceExists(std::string_view name) = 0;
};

}  // namespace kestrel
