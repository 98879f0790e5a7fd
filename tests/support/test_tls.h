#pragma once

// Certificates made at test time, and an https server on 127.0.0.1 that presents one.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <httplib.h>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <stdexcept>
#include <string>
#include <thread>

namespace vortaxel::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline constexpr long kDay = 24L * 60 * 60;

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

inline void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("test certificate: ") + what);
    }
}

inline void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    Check(extension != nullptr && X509_add_ext(cert, extension, -1) == 1, "extension");
    X509_EXTENSION_free(extension);
}

/// A certificate for `name` valid from `from` to `until` seconds around now, signed by the issuer, or by
/// itself when there is none.
struct Identity {
    Key key;
    Cert cert;

    Identity(const std::string& name, bool authority, long from, long until, const Identity* issuer = nullptr)
        : key(EVP_EC_gen("P-256")), cert(X509_new()) {
        Check(key && cert, "allocation");
        static long serial = 1;
        X509_set_version(cert.get(), 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), from);
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), until);
        X509_set_pubkey(cert.get(), key.get());
        X509_NAME* subject = X509_get_subject_name(cert.get());
        X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(name.c_str()),
                                   -1, -1, 0);
        X509* signer = issuer != nullptr ? issuer->cert.get() : cert.get();
        X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
        if (authority) {
            AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
            AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        } else {
            // An address is named as one; curl matches no DNS name against it.
            const bool isAddress = name.find_first_not_of("0123456789.") == std::string::npos;
            AddExtension(cert.get(), signer, NID_subject_alt_name, (isAddress ? "IP:" : "DNS:") + name);
        }
        Check(X509_sign(cert.get(), issuer != nullptr ? issuer->key.get() : key.get(), EVP_sha256()) > 0, "sign");
    }

    void Write(const fs::path& certFile, const fs::path& keyFile) const {
        const std::unique_ptr<FILE, FileClose> certOut(std::fopen(certFile.c_str(), "w"));
        const std::unique_ptr<FILE, FileClose> keyOut(std::fopen(keyFile.c_str(), "w"));
        Check(certOut && keyOut, "files");
        Check(PEM_write_X509(certOut.get(), cert.get()) == 1, "write certificate");
        Check(PEM_write_PrivateKey(keyOut.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1, "write key");
    }
};

/// An https server on 127.0.0.1 with the given certificate, answering every path with "secure".
class TlsSite {
public:
    TlsSite(const fs::path& cert, const fs::path& key) : server_(cert.c_str(), key.c_str()) {
        Check(server_.is_valid(), "server set-up");
        server_.Get(".*", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("secure", "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        listener_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~TlsSite() {
        const auto giveUp = std::chrono::steady_clock::now() + 5s;
        while (!server_.is_running() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(1ms);
        }
        server_.stop();
        listener_.join();
    }
    TlsSite(const TlsSite&) = delete;
    TlsSite& operator=(const TlsSite&) = delete;

    int Port() const { return port_; }

private:
    httplib::SSLServer server_;
    int port_ = 0;
    std::thread listener_;
};

} // namespace vortaxel::test
