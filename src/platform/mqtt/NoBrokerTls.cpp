#include "core/publish/BrokerClient.h"
#include "platform/mqtt/BrokerTls.h"

namespace travek {

// The client library of the Windows build is built without TLS (no OpenSSL for mingw-w64 here):
// CAFILE is refused rather than a connection made without it.
bool brokerTlsAvailable() {
    return false;
}

std::string tlsVerifyFailure(void*) {
    return {};
}

} // namespace travek
