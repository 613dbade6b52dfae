#pragma once
// The permission each remote method needs (roles.h): one entry per method of the
// contract, in one table, so what a role may call is read in one place. The server
// checks it before every call; a method without an entry is refused to everyone.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/access/roles.h"

namespace server::access {

struct MethodPermission {
  std::string address;  // "rdmTabPreClie.SetTabPreClie"
  Permission permission;
};

const std::vector<MethodPermission>& MethodPermissions();
// The permission the method at `address` needs, or nullopt when it has none.
std::optional<Permission> PermissionOf(std::string_view address);
// Whether the method at `address` writes: it needs more than Consultar. The appserver
// runs such calls apart from the reads (rpc/server.h).
bool WritesData(std::string_view address);

}  // namespace server::access
