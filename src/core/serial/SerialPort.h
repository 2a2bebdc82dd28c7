#pragma once

#include "core/serial/SerialDevice.h"
#include "core/serial/SerialSettings.h"

#include "core/loop/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace travek {

// Owns one serial port: opens it exclusively, puts the line settings into effect, writes byte
// blocks synchronously and hands received bytes to OnReceiveData on the event loop's thread.
//
// Receiving: with ComPortPollingDelay 0 the port's descriptor is watched and bytes are read as
// soon as they arrive (no timer runs while the line is idle); with a delay above 0 a timer of
// that period reads what has arrived. Each read delivers at most ComPortInBufSize bytes, so a
// larger burst arrives over several calls.
//
// When the device vanishes (USB adapter pulled), the driver closes the port and calls OnPortLost.
class SerialPort {
public:
    // bytes is the driver's own receive buffer (the same block on every
    // call, valid until the next read, not zero-terminated); 1 <= size <= ComPortInBufSize.
    // A handler that lets the event loop run must copy the bytes first: a nested read reuses
    // the buffer.
    using ReceiveCallback =
        std::function<void(const void* bytes, std::int32_t size)>;

    explicit SerialPort(EventLoop& loop);
    // With a device of the caller's choice instead of the platform's.
    SerialPort(EventLoop& loop, std::unique_ptr<SerialDevice> device);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // True when the port is open afterwards. On an open port nothing is done.
    bool OpenPort();
    // Whether the device the port had before it was lost is back under its name.
    SerialDevice::Return checkDeviceReturn() { return m_device->checkReturn(m_comPort); }
    void ClosePort();
    bool IsPortOpen() const { return m_portHandle > 0; }
    // True when the device took all count bytes; false on a closed port.
    bool WriteBytes(const void* data, std::int32_t count);
    // Puts the whole settings block into effect on the open port.
    void ApplyPortSettings();

    // 0 when closed, -1 after a failed open, the platform's descriptor while open.
    std::int32_t portHandle() const { return m_portHandle; }

    PortIndex ComPort() const { return m_comPort; }
    BaudRate ComPortSpeed() const { return m_settings.speed; }
    DataBits ComPortDataBits() const { return m_settings.dataBits; }
    StopBits ComPortStopBits() const { return m_settings.stopBits; }
    Parity ComPortParity() const { return m_settings.parity; }
    HardwareHandshake ComPortHwHandshaking() const { return m_settings.hwHandshaking; }
    SoftwareHandshake ComPortSwHandshaking() const { return m_settings.swHandshaking; }
    std::uint16_t ComPortInBufSize() const { return m_settings.inBufSize; }
    std::uint16_t ComPortOutBufSize() const { return m_settings.outBufSize; }
    std::uint16_t ComPortPollingDelay() const { return m_pollingDelay; }

    // Ignored while the port is open: change ports by ClosePort, setComPort, OpenPort.
    void setComPort(PortIndex value);
    void setComPortSpeed(BaudRate value);
    void setComPortDataBits(DataBits value);
    void setComPortStopBits(StopBits value);
    void setComPortParity(Parity value);
    void setComPortHwHandshaking(HardwareHandshake value);
    void setComPortSwHandshaking(SoftwareHandshake value);
    // Replaces the receive buffer (none for 0: nothing is ever delivered then).
    void setComPortInBufSize(std::uint16_t value);
    void setComPortOutBufSize(std::uint16_t value);
    // 0 reads as soon as bytes arrive; above 0 polls with that period in milliseconds.
    void setComPortPollingDelay(std::uint16_t value);

    ReceiveCallback OnReceiveData;
    // The device has gone; the port is closed already.
    std::function<void()> OnPortLost;

private:
    void settingChanged();
    void startReceiving();
    void stopReceiving();
    void schedulePoll();
    void PollReceive();

    EventLoop& m_loop;
    std::unique_ptr<SerialDevice> m_device;
    std::int32_t m_portHandle = 0;
    PortIndex m_comPort = PortIndex{1};
    SerialSettings m_settings;
    std::uint16_t m_pollingDelay = 100;
    std::vector<char> m_receiveBuffer;
    EventLoop::Task m_pollTask;
    std::unique_ptr<EventLoop::Watch> m_watch;
};

} // namespace travek
