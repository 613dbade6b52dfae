#include "server/tls/self_signed_pair.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <boost/asio/ip/address.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>

#include "platform/core/exceptions.h"

namespace server::tls {
namespace {

template <class T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const noexcept { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Number = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

[[noreturn]] void Fail(const std::string& what) {
  char reason[256] = "";
  ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
  throw platform::Exception("Não foi possível criar o certificado TLS (" + what + "): " + reason);
}

std::vector<std::string> DefaultNames() {
  std::vector<std::string> names{"localhost", "127.0.0.1", "::1"};
  char host[256] = "";
  if (gethostname(host, sizeof host - 1) == 0 && host[0] && std::string(host) != "localhost") names.emplace_back(host);
  return names;
}

std::string AltNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    boost::system::error_code ec;
    boost::asio::ip::make_address(name, ec);
    text += (text.empty() ? "" : ",") + std::string(ec ? "DNS:" : "IP:") + name;
  }
  return text;
}

void AddExtension(X509* certificate, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
  if (!extension || X509_add_ext(certificate, extension.get(), -1) != 1) Fail("extensão " + value);
}

Certificate MakeCertificate(EVP_PKEY* key, const std::vector<std::string>& names, int days) {
  Certificate certificate(X509_new());
  if (!certificate || X509_set_version(certificate.get(), 2) != 1) Fail("versão");
  Number serial(BN_new());
  if (!serial || BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
      !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate.get())))
    Fail("número de série");
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), static_cast<long>(days) * 86400L);
  if (X509_set_pubkey(certificate.get(), key) != 1) Fail("chave pública");
  X509_NAME* subject = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(subject, "O", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>("Servidor de aplicação"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(names[0].c_str()),
                             -1, -1, 0);
  X509_set_issuer_name(certificate.get(), subject);
  AddExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(certificate.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
  AddExtension(certificate.get(), NID_ext_key_usage, "serverAuth");
  AddExtension(certificate.get(), NID_subject_key_identifier, "hash");
  AddExtension(certificate.get(), NID_subject_alt_name, AltNames(names));
  if (X509_sign(certificate.get(), key, EVP_sha256()) == 0) Fail("assinatura");
  return certificate;
}

// Opens `path` for writing with `mode`, refusing an existing file unless `overwrite`.
std::FILE* Create(const std::string& path, mode_t mode, bool overwrite) {
  int flags = O_WRONLY | O_CREAT | O_TRUNC | (overwrite ? 0 : O_EXCL);
  int fd = ::open(path.c_str(), flags, mode);
  if (fd < 0) {
    if (errno == EEXIST)
      throw platform::Exception("O arquivo " + path + " já existe; use --force para substituí-lo.");
    throw platform::Exception("Não foi possível criar " + path + ": " + std::strerror(errno));
  }
  ::fchmod(fd, mode);
  return ::fdopen(fd, "w");
}

void Write(const std::string& path, mode_t mode, bool overwrite, const std::function<int(std::FILE*)>& write) {
  std::FILE* file = Create(path, mode, overwrite);
  const bool written = file && write(file) == 1;
  if (file) std::fclose(file);
  if (!written) throw platform::Exception("Não foi possível gravar " + path + ".");
}

}  // namespace

std::vector<std::string> WriteSelfSignedPair(const SelfSignedPair& pair) {
  const std::vector<std::string> names = pair.names.empty() ? DefaultNames() : pair.names;
  Key key(EVP_EC_gen("P-256"));
  if (!key) Fail("chave");
  Certificate certificate = MakeCertificate(key.get(), names, pair.days);
  Write(pair.keyFile, 0600, pair.overwrite, [&](std::FILE* file) {
    return PEM_write_PrivateKey(file, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
  });
  Write(pair.certificateFile, 0644, pair.overwrite,
        [&](std::FILE* file) { return PEM_write_X509(file, certificate.get()); });
  return names;
}

}  // namespace server::tls
