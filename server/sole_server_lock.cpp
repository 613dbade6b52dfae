#include "server/sole_server_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/core/exceptions.h"

namespace server {

SoleServerLock::SoleServerLock(const std::string& database) {
  const std::string path = database + ".appserver-lock";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0)
    throw platform::Exception("Não foi possível abrir " + path + ": " + std::strerror(errno));
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    sole_ = true;
    return;
  }
  if (errno != EWOULDBLOCK) {
    const std::string reason = std::strerror(errno);
    ::close(fd_);
    throw platform::Exception("Não foi possível bloquear " + path + ": " + reason);
  }
}

SoleServerLock::~SoleServerLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace server
