// The certificates of the loopback TLS fixture: a test authority, and a server certificate it
// signed for tls.test, example.com, example.org (with their subdomains) and shop1.com to shop40.com.
#pragma once

namespace tarnwick::test {

extern const char* const kTestAuthorityPem;
extern const char* const kServerCertificatePem;
extern const char* const kServerKeyPem; // PKCS#8, unencrypted, EC P-256

} // namespace tarnwick::test
