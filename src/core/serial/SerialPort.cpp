#include "core/serial/SerialPort.h"


namespace travek {

SerialPort::SerialPort(EventLoop& loop) : SerialPort(loop, CreatePlatformSerialDevice()) {}

SerialPort::SerialPort(EventLoop& loop, std::unique_ptr<SerialDevice> device)
    : m_loop(loop), m_device(std::move(device)), m_receiveBuffer(m_settings.inBufSize) {}

SerialPort::~SerialPort() {
    ClosePort();
}

bool SerialPort::OpenPort() {
    if (IsPortOpen())
        return true;
    if (!m_device->open(m_comPort)) {
        m_portHandle = -1;
        return false;
    }
    m_portHandle = static_cast<std::int32_t>(m_device->nativeHandle());
    ApplyPortSettings();
    startReceiving();
    return true;
}

void SerialPort::ClosePort() {
    if (!IsPortOpen())
        return;
    stopReceiving();
    m_device->close();
    m_portHandle = 0;
}

bool SerialPort::WriteBytes(const void* data, std::int32_t count) {
    return IsPortOpen() && m_device->write(data, count);
}

void SerialPort::ApplyPortSettings() {
    if (IsPortOpen())
        m_device->configure(m_settings);
}

void SerialPort::setComPort(PortIndex value) {
    if (!IsPortOpen())
        m_comPort = value;
}

void SerialPort::setComPortSpeed(BaudRate value) {
    m_settings.speed = value;
    settingChanged();
}

void SerialPort::setComPortDataBits(DataBits value) {
    m_settings.dataBits = value;
    settingChanged();
}

void SerialPort::setComPortStopBits(StopBits value) {
    m_settings.stopBits = value;
    settingChanged();
}

void SerialPort::setComPortParity(Parity value) {
    m_settings.parity = value;
    settingChanged();
}

void SerialPort::setComPortHwHandshaking(HardwareHandshake value) {
    m_settings.hwHandshaking = value;
    settingChanged();
}

void SerialPort::setComPortSwHandshaking(SoftwareHandshake value) {
    m_settings.swHandshaking = value;
    settingChanged();
}

void SerialPort::setComPortInBufSize(std::uint16_t value) {
    std::vector<char>(value).swap(m_receiveBuffer);
    m_settings.inBufSize = value;
    settingChanged();
    // Watching the descriptor only makes sense with room to read into.
    if (m_watch)
        m_watch->setEnabled(value > 0);
}

void SerialPort::setComPortOutBufSize(std::uint16_t value) {
    m_settings.outBufSize = value;
    settingChanged();
}

void SerialPort::setComPortPollingDelay(std::uint16_t value) {
    if (value == m_pollingDelay)
        return;
    const bool open = IsPortOpen();
    if (open)
        stopReceiving();
    m_pollingDelay = value;
    if (open)
        startReceiving();
}

void SerialPort::settingChanged() {
    // The whole block, not just the changed field: the device may have lost the others.
    ApplyPortSettings();
}

void SerialPort::startReceiving() {
    if (m_pollingDelay == 0) {
        m_watch = m_loop.watchReadable(m_device->nativeHandle(), [this] { PollReceive(); });
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
        PollReceive();
    });
}

void SerialPort::stopReceiving() {
    m_pollTask.cancel();
    // Possibly called from within the watch's own callback (a handler closing the port).
    m_watch.reset();
}

void SerialPort::PollReceive() {
    if (!IsPortOpen())
        return;
    const SerialDevice::ReadResult result =
        m_device->read(m_receiveBuffer.data(), static_cast<std::int32_t>(m_receiveBuffer.size()));
    if (result.status == SerialDevice::ReadStatus::Lost) {
        // Reading a vanished device fails at once every time: close it instead of spinning.
        ClosePort();
        if (OnPortLost)
            OnPortLost();
        return;
    }
    if (result.status == SerialDevice::ReadStatus::Data && result.count > 0 && OnReceiveData)
        OnReceiveData(m_receiveBuffer.data(), result.count);
}

} // namespace travek
