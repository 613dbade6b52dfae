#include "server/access/sign_in_gate.h"

#include <spdlog/spdlog.h>

#include <optional>

#include "platform/core/exceptions.h"
#include "platform/net/sign_in_protocol.h"
#include "server/access/method_permissions.h"
#include "server/access/password_hash.h"
#include "server/access/sessions.h"
#include "server/access/users.h"
#include "server/rpc/call_log.h"
#include "server/rpc/printable_text.h"

namespace server::access {
namespace {

using platform::RpcRequest;
using platform::RpcResponse;
using platform::Variant;
using Steady = std::chrono::steady_clock;

constexpr const char* kWrongCredentials = "Usuário ou senha inválidos.";

std::string Shown(std::string_view text) { return rpc::PrintableExcerpt(text, rpc::kLoggedValueChars); }

RpcResponse Refused(std::string text) {
  RpcResponse response;
  response.error = std::move(text);
  return response;
}

RpcResponse Accepted(const std::string& session, const User& user) {
  RpcResponse response;
  response.returnValue = platform::SignInAnswerValue({session, user.login, user.name, RoleName(user.role)});
  return response;
}

std::string Minutes(Steady::duration left) {
  const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(left + std::chrono::seconds(59)).count();
  return minutes <= 1 ? "1 minuto" : std::to_string(minutes) + " minutos";
}

// "precos, reajuste e admin": the roles that grant the permission.
std::string RolesGranting(Permission permission) {
  std::string names;
  const Role least = LeastRoleFor(permission);
  for (Role role : kRoles) {
    if (!Grants(role, permission)) continue;
    if (!names.empty()) names += role == Role::Admin ? " e " : ", ";
    names += RoleName(role);
  }
  return least == Role::Admin ? "ao papel admin" : "aos papéis " + names;
}

class SignedInUser {
 public:
  SignedInUser(std::string key, User user) : key_(std::move(key)), user_(std::move(user)), touched_(Steady::now()) {}
  const std::string& key() const noexcept { return key_; }
  const User& user() const noexcept { return user_; }
  Steady::time_point touched() const noexcept { return touched_; }
  void touch(Steady::time_point now) noexcept { touched_ = now; }

 private:
  std::string key_;
  User user_;
  Steady::time_point touched_;
};

class ConnectionState final : public rpc::ConnectionAccess {
 public:
  ConnectionState(SignInGate& gate, std::string address, std::string peer)
      : gate_(gate), address_(std::move(address)), peer_(std::move(peer)) {}

  rpc::SignInReply signIn(const RpcRequest& request) override {
    if (request.address == platform::kSignInAddress) return signInWithPassword(request.params);
    if (request.address == platform::kResumeAddress) return {resume(request.params)};
    if (request.address == platform::kSignOutAddress) return {signOut(request.params)};
    return {Refused("Chamada de entrada no sistema desconhecida: " + Shown(request.address))};
  }

  std::optional<std::string> sessionRefusal() override {
    if (!user_) return "Entre no sistema (usuário e senha) antes de chamar o servidor de aplicação.";
    const auto now = Steady::now();
    if (now - user_->touched() < gate_.touchInterval()) return std::nullopt;
    store::Store::Lease c = gate_.store().lease();
    if (TouchSession(*c, user_->key(), std::chrono::system_clock::now(), gate_.options().sessionIdle)) {
      user_->touch(now);
      return std::nullopt;
    }
    rpc::ServerLog().info("Sessão de {} em {} expirada ou encerrada", Shown(user_->user().login), peer_);
    user_.reset();
    return "Sessão expirada ou encerrada; entre no sistema novamente.";
  }

  std::optional<std::string> permissionRefusal(std::string_view address) override {
    const auto permission = PermissionOf(address);
    if (!permission)
      return "O método " + Shown(address) + " não tem permissão definida no servidor de aplicação; ninguém pode chamá-lo.";
    const User& user = user_->user();
    if (Grants(user.role, *permission)) return std::nullopt;
    return std::string("Sem permissão para ") + PermissionText(*permission) + ": o usuário " + user.login +
           " tem o papel " + RoleName(user.role) + " (permitido " + RolesGranting(*permission) + ").";
  }

  rpc::CallContext context() const override { return rpc::CallContext{user_ ? user_->user().login : std::string()}; }

 private:
  rpc::SignInReply signInWithPassword(const std::vector<Variant>& params) {
    if (params.size() != 2 || params[0].kind() != Variant::Kind::String || params[1].kind() != Variant::Kind::String)
      return {Refused("Entrada no sistema espera o usuário e a senha, dois textos.")};
    user_.reset();
    const std::string& typed = params[0].asString();
    const std::string& password = params[1].asString();
    std::string login;
    try {
      login = NormalizedLogin(typed);
    } catch (const platform::Exception&) {
      login = Shown(typed);  // names no user; counted and logged as typed
    }
    SignInThrottle& throttle = gate_.throttle();
    const auto now = Steady::now();
    if (auto lock = throttle.lockOf(login, address_, now)) {
      rpc::ServerLog().warn("Entrada de {} de {}: recusada, {} bloqueado", Shown(login), peer_, lock->what);
      return {Refused("Entrada bloqueada depois de muitas senhas erradas seguidas; tente de novo em " +
                      Minutes(lock->left) + "."),
              throttle.options().delayStep};
    }
    store::Store::Lease c = gate_.store().lease();
    std::optional<StoredUser> stored;
    if (login.size() <= kMaxLoginChars) {
      try {
        stored = FindUser(*c, login);
      } catch (const platform::Exception&) {
        // not a login at all
      }
    }
    const char* why = nullptr;
    if (!stored) {
      CheckAgainstNobody(password);
      why = "usuário desconhecido";
    } else if (!PasswordMatches(stored->hash, password)) {
      why = "senha incorreta";
    } else if (!stored->user.active) {
      rpc::ServerLog().warn("Entrada de {} de {}: recusada, usuário desativado", login, peer_);
      return {Refused("Usuário " + login + " desativado; fale com o administrador do sistema.")};
    }
    if (why) {
      const SignInThrottle::Failure failure = throttle.failed(login, address_, now);
      rpc::ServerLog().warn("Entrada de {} de {}: recusada, {}", Shown(login), peer_, why);
      if (failure.lockBegun)
        rpc::ServerLog().warn("Entrada bloqueada por {} s: {} após {} senhas erradas seguidas",
                              std::chrono::duration_cast<std::chrono::seconds>(failure.lockBegun->left).count(),
                              failure.lockBegun->what, throttle.options().attempts);
      return {Refused(kWrongCredentials), failure.delay};
    }
    throttle.succeeded(login, address_);
    const auto wallNow = std::chrono::system_clock::now();
    RemoveIdleSessions(*c, wallNow, gate_.options().sessionIdle);
    Session session = OpenSession(*c, login, wallNow);
    user_.emplace(session.key, stored->user);
    rpc::ServerLog().info("Entrada de {} ({}) de {}: aceita", login, RoleName(stored->user.role), peer_);
    return {Accepted(session.token, stored->user)};
  }

  RpcResponse resume(const std::vector<Variant>& params) {
    user_.reset();
    if (params.size() != 1 || params[0].kind() != Variant::Kind::String)
      return Refused("Retomada de sessão espera o código da sessão, um texto.");
    const std::string& token = params[0].asString();
    store::Store::Lease c = gate_.store().lease();
    auto found = ResumeSession(*c, token, std::chrono::system_clock::now(), gate_.options().sessionIdle);
    if (!found) {
      rpc::ServerLog().info("Retomada de sessão de {}: recusada, sessão expirada ou encerrada", peer_);
      return Refused("Sessão expirada ou encerrada; entre no sistema novamente.");
    }
    user_.emplace(found->key, found->user);
    rpc::ServerLog().info("Sessão de {} ({}) retomada de {}", found->user.login, RoleName(found->user.role), peer_);
    return Accepted(token, found->user);
  }

  RpcResponse signOut(const std::vector<Variant>& params) {
    if (params.size() != 1 || params[0].kind() != Variant::Kind::String)
      return Refused("Saída do sistema espera o código da sessão, um texto.");
    const std::string key = SessionKey(params[0].asString());
    store::Store::Lease c = gate_.store().lease();
    EndSession(*c, key);
    rpc::ServerLog().info("Sessão encerrada a pedido de {}", peer_);
    if (user_ && user_->key() == key) user_.reset();
    return RpcResponse{};
  }

  SignInGate& gate_;
  std::string address_;
  std::string peer_;
  std::optional<SignedInUser> user_;
};

}  // namespace

SignInGate::SignInGate(store::Store& store, SignInOptions options)
    : store_(store), options_(options), throttle_(options.throttle) {}

std::unique_ptr<rpc::ConnectionAccess> SignInGate::open(const std::string& address, const std::string& peer) {
  return std::make_unique<ConnectionState>(*this, address, peer);
}

std::chrono::milliseconds SignInGate::touchInterval() const noexcept {
  const auto quarter = std::chrono::duration_cast<std::chrono::milliseconds>(options_.sessionIdle) / 4;
  return std::min<std::chrono::milliseconds>(quarter, std::chrono::minutes(1));
}

}  // namespace server::access
