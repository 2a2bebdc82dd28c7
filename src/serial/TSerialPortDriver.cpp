#include "TSerialPortDriver.h"

#include <QSocketNotifier>
#include <QTimer>

namespace travek {

TSerialPortDriver::TSerialPortDriver(QObject* owner)
    : TSerialPortDriver(CreatePlatformSerialDevice(), owner) {}

TSerialPortDriver::TSerialPortDriver(std::unique_ptr<SerialDevice> device, QObject* owner)
    : QObject(owner), m_device(std::move(device)), m_receiveBuffer(m_settings.inBufSize),
      m_pollTimer(new QTimer(this)) {
    m_pollTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pollTimer, &QTimer::timeout, this, &TSerialPortDriver::PollReceive);
}

TSerialPortDriver::~TSerialPortDriver() {
    ClosePort();
}

bool TSerialPortDriver::OpenPort() {
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

void TSerialPortDriver::ClosePort() {
    if (!IsPortOpen())
        return;
    stopReceiving();
    m_device->close();
    m_portHandle = 0;
}

bool TSerialPortDriver::WriteBytes(const void* data, std::int32_t count) {
    return IsPortOpen() && m_device->write(data, count);
}

void TSerialPortDriver::ApplyPortSettings() {
    if (IsPortOpen())
        m_device->configure(m_settings);
}

void TSerialPortDriver::setComPort(TComPortNumber value) {
    if (!IsPortOpen())
        m_comPort = value;
}

void TSerialPortDriver::setComPortSpeed(TComPortBaudRate value) {
    m_settings.speed = value;
    settingChanged();
}

void TSerialPortDriver::setComPortDataBits(TComPortDataBits value) {
    m_settings.dataBits = value;
    settingChanged();
}

void TSerialPortDriver::setComPortStopBits(TComPortStopBits value) {
    m_settings.stopBits = value;
    settingChanged();
}

void TSerialPortDriver::setComPortParity(TComPortParity value) {
    m_settings.parity = value;
    settingChanged();
}

void TSerialPortDriver::setComPortHwHandshaking(TComPortHwHandshaking value) {
    m_settings.hwHandshaking = value;
    settingChanged();
}

void TSerialPortDriver::setComPortSwHandshaking(TComPortSwHandshaking value) {
    m_settings.swHandshaking = value;
    settingChanged();
}

void TSerialPortDriver::setComPortInBufSize(std::uint16_t value) {
    std::vector<char>(value).swap(m_receiveBuffer);
    m_settings.inBufSize = value;
    settingChanged();
    // Watching the descriptor only makes sense with room to read into.
    if (m_notifier)
        m_notifier->setEnabled(value > 0);
}

void TSerialPortDriver::setComPortOutBufSize(std::uint16_t value) {
    m_settings.outBufSize = value;
    settingChanged();
}

void TSerialPortDriver::setComPortPollingDelay(std::uint16_t value) {
    if (value == m_pollingDelay)
        return;
    const bool open = IsPortOpen();
    if (open)
        stopReceiving();
    m_pollingDelay = value;
    if (open)
        startReceiving();
}

void TSerialPortDriver::settingChanged() {
    // The whole block, not just the changed field: the device may have lost the others.
    ApplyPortSettings();
}

void TSerialPortDriver::startReceiving() {
#ifdef Q_OS_UNIX
    if (m_pollingDelay == 0) {
        m_notifier =
            new QSocketNotifier(static_cast<qintptr>(m_device->nativeHandle()), QSocketNotifier::Read, this);
        // With no buffer nothing can be read, and a watched descriptor with bytes waiting would
        // report itself over and over.
        m_notifier->setEnabled(m_settings.inBufSize > 0);
        connect(m_notifier, &QSocketNotifier::activated, this, &TSerialPortDriver::PollReceive);
        return;
    }
#endif
    m_pollTimer->start(m_pollingDelay);
}

void TSerialPortDriver::stopReceiving() {
    m_pollTimer->stop();
    if (m_notifier) {
        // Possibly called from within the notifier's own signal (a handler closing the port).
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
}

void TSerialPortDriver::PollReceive() {
    if (!IsPortOpen())
        return;
    const SerialDevice::ReadResult result =
        m_device->read(m_receiveBuffer.data(), static_cast<std::int32_t>(m_receiveBuffer.size()));
    if (result.status == SerialDevice::ReadStatus::Lost) {
        // Reading a vanished device fails at once every time: close it instead of spinning.
        ClosePort();
        emit portLost();
        return;
    }
    if (result.status == SerialDevice::ReadStatus::Data && result.count > 0 && OnReceiveData)
        OnReceiveData(this, m_receiveBuffer.data(), result.count);
}

} // namespace travek
