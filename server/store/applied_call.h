#pragma once
// AppliedCall: the writes of one remote call that carries an id (platform/net/rpc_frame.h),
// applied once however often the call arrives. A client that lost a write's reply sends
// the call again with the same id, to this server or to another one of the database.
//
//   store::AppliedCall call(connection, id);      // before the call's work
//   if (auto reply = call.storedReply()) ...      // sent before and applied: answer that
//   ... the work, in its transactions ...
//   call.finish(encodedReply);                    // keeps the writes, the id and the reply
//
// While it lives on the connection, the call's first write transaction claims the id (a
// row of CHAMADAGRAVADA, store/schema.h) as soon as it begins, and its commit is held:
// the later transactions of the call join it, and finish() stores the reply in the
// claimed row and commits, so the writes, the id and the reply are kept together or not
// at all. A claim that meets the id of a sending still running waits for it; when that
// sending commits, the claim raises ECallAlreadyApplied and nothing of this one stays
// (its stored reply then answers). A call that commits no write (a read, a preview, a
// refusal) leaves no row, and runs again when sent again.
//
// The rows live kAppliedCallRetention: each finish removes the older ones, through the
// index by time.
#include <chrono>
#include <optional>
#include <string>

#include "platform/core/exceptions.h"
#include "server/store/connection.h"

namespace server::store {

inline constexpr std::chrono::hours kAppliedCallRetention{24};

// The id was claimed by a sending of the call that committed meanwhile.
class ECallAlreadyApplied : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

class AppliedCall {
 public:
  // `id` is the call's; the call is made by connection.caller().
  AppliedCall(Connection& connection, std::string id);
  // Rolls back a held transaction finish() did not commit.
  ~AppliedCall();
  AppliedCall(const AppliedCall&) = delete;
  AppliedCall& operator=(const AppliedCall&) = delete;

  // The reply stored by a sending of the call that was applied, or nullopt. Raises when
  // the id belongs to another user's call.
  std::optional<std::string> storedReply();
  // Stores `reply` with the claimed id and commits the held transaction; nothing when
  // the call committed no write.
  void finish(const std::string& reply);

  // --- for store::Transaction ---
  // Whether a write of the call is held: a new transaction joins it.
  bool holding() const noexcept { return holding_; }
  // Right after a write transaction begins: claims the id, the first time. A write
  // that commits its work in slices (a read transaction around write transactions of
  // its own) claims it in the slice it leaves open, the last.
  void claim();
  // Whether the open transaction claimed the id: its commit is held too.
  bool claimed() const noexcept { return claimed_; }
  // At the commit of a write transaction: the commit waits for finish().
  void hold() noexcept { holding_ = true; }
  // The held transaction was rolled back.
  void dropped() noexcept { holding_ = claimed_ = false; }

 private:
  Connection& connection_;
  std::string id_;
  bool holding_ = false;
  bool claimed_ = false;
};

}  // namespace server::store
