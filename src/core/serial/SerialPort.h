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
// blocks synchronously and hands received bytes to onReceiveData on the event loop's thread.
//
// Receiving: with pollingDelay 0 the port's descriptor is watched and bytes are read as
// soon as they arrive (no timer runs while the line is idle); with a delay above 0 a timer of
// that period reads what has arrived. Each read delivers at most inBufferSize bytes, so a
// larger burst arrives over several calls.
//
// When the device vanishes (USB adapter pulled), the driver closes the port and calls onPortLost.
class SerialPort {
public:
    // bytes is the driver's own receive buffer (the same block on every
    // call, valid until the next read, not zero-terminated); 1 <= size <= inBufferSize.
    // A handler that lets the event loop run must copy the bytes first: a nested read reuses
    // the buffer.
    using ReceiveCallback = std::function<void(const void* bytes, std::int32_t size)>;

    explicit SerialPort(EventLoop& loop);
    // With a device of the caller's choice instead of the platform's.
    SerialPort(EventLoop& loop, std::unique_ptr<SerialDevice> device);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // True when the port is open afterwards. On an open port nothing is done.
    bool open();
    // Why the last open() failed.
    SerialDevice::OpenFailure openFailure() const { return m_device->openFailure(); }
    // Whether the device the port had before it was lost is back under its name.
    SerialDevice::Return checkDeviceReturn() { return m_device->checkReturn(m_comPort); }
    void close();
    bool isOpen() const { return m_portHandle > 0; }
    // True when the device took all count bytes; false on a closed port.
    bool write(const void* data, std::int32_t count);
    // Puts the whole settings block into effect on the open port.
    void applySettings();

    // 0 when closed, -1 after a failed open, the platform's descriptor while open.
    std::int32_t portHandle() const { return m_portHandle; }

    PortIndex portIndex() const { return m_comPort; }
    BaudRate speed() const { return m_settings.speed; }
    DataBits dataBits() const { return m_settings.dataBits; }
    StopBits stopBits() const { return m_settings.stopBits; }
    Parity parity() const { return m_settings.parity; }
    HardwareHandshake hardwareHandshake() const { return m_settings.hwHandshaking; }
    SoftwareHandshake softwareHandshake() const { return m_settings.swHandshaking; }
    std::uint16_t inBufferSize() const { return m_settings.inBufSize; }
    std::uint16_t outBufferSize() const { return m_settings.outBufSize; }
    std::uint16_t pollingDelay() const { return m_pollingDelay; }

    // Ignored while the port is open: change ports by close(), setPortIndex(), open().
    void setPortIndex(PortIndex value);
    void setSpeed(BaudRate value);
    void setDataBits(DataBits value);
    void setStopBits(StopBits value);
    void setParity(Parity value);
    void setHardwareHandshake(HardwareHandshake value);
    void setSoftwareHandshake(SoftwareHandshake value);
    // Replaces the receive buffer (none for 0: nothing is ever delivered then).
    void setInBufferSize(std::uint16_t value);
    void setOutBufferSize(std::uint16_t value);
    // 0 reads as soon as bytes arrive; above 0 polls with that period in milliseconds.
    void setPollingDelay(std::uint16_t value);

    ReceiveCallback onReceiveData;
    // The device has gone; the port is closed already.
    std::function<void()> onPortLost;

private:
    void settingChanged();
    void startReceiving();
    void stopReceiving();
    void schedulePoll();
    void pollReceive();

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
