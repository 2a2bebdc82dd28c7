#include "core/serial/SerialPort.h"

namespace travek {

SerialPort::SerialPort(EventLoop& loop) : SerialPort(loop, createPlatformSerialDevice()) {}

SerialPort::SerialPort(EventLoop& loop, std::unique_ptr<SerialDevice> device)
    : m_loop(loop), m_device(std::move(device)), m_receiveBuffer(m_settings.inBufSize) {}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open() {
    if (isOpen())
        return true;
    if (!m_device->open(m_comPort)) {
        m_portHandle = -1;
        return false;
    }
    m_portHandle = static_cast<std::int32_t>(m_device->nativeHandle());
    applySettings();
    startReceiving();
    return true;
}

void SerialPort::close() {
    if (!isOpen())
        return;
    stopReceiving();
    m_device->close();
    m_portHandle = 0;
}

bool SerialPort::write(const void* data, std::int32_t count) {
    return isOpen() && m_device->write(data, count);
}

void SerialPort::applySettings() {
    if (isOpen())
        m_device->configure(m_settings);
}

void SerialPort::setPortIndex(PortIndex value) {
    if (!isOpen())
        m_comPort = value;
}

void SerialPort::setSpeed(BaudRate value) {
    m_settings.speed = value;
    settingChanged();
}

void SerialPort::setDataBits(DataBits value) {
    m_settings.dataBits = value;
    settingChanged();
}

void SerialPort::setStopBits(StopBits value) {
    m_settings.stopBits = value;
    settingChanged();
}

void SerialPort::setParity(Parity value) {
    m_settings.parity = value;
    settingChanged();
}

void SerialPort::setHardwareHandshake(HardwareHandshake value) {
    m_settings.hwHandshaking = value;
    settingChanged();
}

void SerialPort::setSoftwareHandshake(SoftwareHandshake value) {
    m_settings.swHandshaking = value;
    settingChanged();
}

void SerialPort::setInBufferSize(std::uint16_t value) {
    std::vector<char>(value).swap(m_receiveBuffer);
    m_settings.inBufSize = value;
    settingChanged();
    // Watching the descriptor only makes sense with room to read into.
    if (m_watch)
        m_watch->setEnabled(value > 0);
}

void SerialPort::setOutBufferSize(std::uint16_t value) {
    m_settings.outBufSize = value;
    settingChanged();
}

void SerialPort::setPollingDelay(std::uint16_t value) {
    if (value == m_pollingDelay)
        return;
    const bool open = isOpen();
    if (open)
        stopReceiving();
    m_pollingDelay = value;
    if (open)
        startReceiving();
}

void SerialPort::settingChanged() {
    // The whole block, not just the changed field: the device may have lost the others.
    applySettings();
}

void SerialPort::startReceiving() {
    if (m_pollingDelay == 0) {
        m_watch = m_loop.watchReadable(m_device->nativeHandle(), [this] { pollReceive(); });
        // With no buffer nothing can be read, and a watched descriptor with bytes waiting would
        // report itself over and over.
        m_watch->setEnabled(m_settings.inBufSize > 0);
        return;
    }
    schedulePoll();
}

void SerialPort::schedulePoll() {
    m_pollTask = m_loop.after(std::chrono::milliseconds(m_pollingDelay), [this] {
        // Armed again first: the handler may close the port, which cancels it.
        schedulePoll();
        pollReceive();
    });
}

void SerialPort::stopReceiving() {
    m_pollTask.cancel();
    // Possibly called from within the watch's own callback (a handler closing the port).
    m_watch.reset();
}

void SerialPort::pollReceive() {
    if (!isOpen())
        return;
    const SerialDevice::ReadResult result =
        m_device->read(m_receiveBuffer.data(), static_cast<std::int32_t>(m_receiveBuffer.size()));
    if (result.status == SerialDevice::ReadStatus::Lost) {
        // Reading a vanished device fails at once every time: close it instead of spinning.
        close();
        if (onPortLost)
            onPortLost();
        return;
    }
    if (result.status == SerialDevice::ReadStatus::Data && result.count > 0 && onReceiveData)
        onReceiveData(m_receiveBuffer.data(), result.count);
}

} // namespace travek
