#pragma once
// ServerCall: one remote call as every screen of the module makes it.
//
//   PacketAndText formula = ServerCall<GetFatPreClie>(*session.netTabPreClie, Showavi::saPesquisa, code, label);
//   ServerLoad<GetPesqCliente>(*cdsPesqClie, *session.netTabPreClie, Showavi::saPesquisa, "", "T");
//
// The method is the declared one (contracts/server/*_methods.h) and the arguments must
// fit its declaration, or the call does not compile. The wait animation of `kind` runs
// while the call blocks (6 for reads, 1 for writes) and ends on every path, leaving an
// animation an outer caller started running; the result envelope goes through
// Consiste::CheckResultServ(result, true, 0) and its data part is returned as the
// method declares it (contracts::server::ReplyOfMethod: nothing, a packet, a packet and
// a text, a packet and a record); ServerLoad loads a method's packet into the dataset,
// replacing its rows, still under the animation. A failure (transport, server refusal,
// a data part of another shape than declared, a packet the dataset cannot take) goes
// on unchanged, and the dataset keeps what it held.
#include <concepts>
#include <cstdint>
#include <optional>
#include <utility>

#include "contracts/framework/consiste.h"
#include "contracts/framework/netconnection.h"
#include "contracts/framework/showavi.h"
#include "contracts/server/result_envelope.h"
#include "contracts/server/tab_pre_clie_methods.h"
#include "platform/data/client_dataset.h"

namespace Pkg_VQR51200 {

template <class M, class... A>
  requires contracts::server::CallableWith<M, A...>
contracts::server::ReplyOfMethod<M> ServerCall(Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                                               A&&... args) {
  Showavi::TShowAviScope wait(nullptr, kind);
  const platform::Variant data = Consiste::CheckResultServ(net.Call<M>(std::forward<A>(args)...), true, 0);
  return contracts::server::DecodeReplyOf<M>(data);
}

// ServerCall applied only while `condition` holds on the server (TNetConnection::
// CallBasedOn); a refusal for a changed condition raises platform::ERemoteError of the
// server's code.
template <class M, class... A>
  requires contracts::server::CallableWith<M, A...>
contracts::server::ReplyOfMethod<M> ServerCallBasedOn(Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                                                      platform::Variant condition, A&&... args) {
  Showavi::TShowAviScope wait(nullptr, kind);
  const platform::Variant data = Consiste::CheckResultServ(
      net.CallBasedOn<M>(std::move(condition), std::forward<A>(args)...), true, 0);
  return contracts::server::DecodeReplyOf<M>(data);
}

// A recalculation, copy or import sent with the history position its preview answered
// (nullopt: no preview was shown); returns what it answers beside its data part: the
// prices it wrote over a change made since the preview (none without a position).
template <class M, class... A>
  requires contracts::server::CallableWith<M, A...>
contracts::server::AsideOfMethod<M> ServerCallAfterPreview(Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                                                           std::optional<std::int64_t> previewMark, A&&... args) {
  Showavi::TShowAviScope wait(nullptr, kind);
  const platform::Variant result = net.CallBasedOn<M>(
      previewMark ? platform::Variant(*previewMark) : platform::Variant(), std::forward<A>(args)...);
  Consiste::CheckResultServ(result, true, 0);
  return contracts::server::DecodeAsideOf<M>(contracts::server::ReadEnvelope(result).aside);
}

template <class M, class... A>
  requires contracts::server::CallableWith<M, A...> &&
           std::same_as<contracts::server::ReplyOfMethod<M>, contracts::server::PacketPtr>
void ServerLoad(platform::TClientDataSet& target, Netconnection::TNetConnection& net, Showavi::TShowAvi kind,
                A&&... args) {
  Showavi::TShowAviScope wait(nullptr, kind);
  target.SetData(ServerCall<M>(net, kind, std::forward<A>(args)...));
}

}  // namespace Pkg_VQR51200
