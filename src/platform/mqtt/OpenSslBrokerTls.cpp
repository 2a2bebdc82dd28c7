#include "core/publish/BrokerClient.h"
#include "platform/mqtt/BrokerTls.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace travek {

bool brokerTlsAvailable() {
    return true;
}

std::string tlsVerifyFailure(void* ssl) {
    if (!ssl)
        return {};
    const long result = SSL_get_verify_result(static_cast<SSL*>(ssl));
    switch (result) {
    case X509_V_OK:
        return {};
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "Zertifikat abgelaufen";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "Zertifikat noch nicht g\xFCltig";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "Zertifizierungsstelle unbekannt";
    case X509_V_ERR_HOSTNAME_MISMATCH:
        return "Zertifikat nicht f\xFCr diesen Rechnernamen";
    case X509_V_ERR_CERT_REVOKED:
        return "Zertifikat widerrufen";
    default:
        return std::string("Zertifikat abgelehnt: ") + X509_verify_cert_error_string(result);
    }
}

} // namespace travek
