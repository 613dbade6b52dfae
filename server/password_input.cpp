#include "server/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "platform/core/exceptions.h"

namespace server {
namespace {

// Echo off on the terminal while it lives.
class NoEcho {
 public:
  NoEcho() {
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
  }
  ~NoEcho() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  NoEcho(const NoEcho&) = delete;
  NoEcho& operator=(const NoEcho&) = delete;

 private:
  termios saved_{};
  bool active_ = false;
};

std::string ReadLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string Ask(std::istream& in, const char* prompt) {
  std::cerr << prompt << std::flush;
  NoEcho quiet;
  std::string line = ReadLine(in);
  std::cerr << "\n";
  return line;
}

}  // namespace

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::string ReadPassword(std::istream& in, bool fromTerminal, PasswordUse use) {
  std::string password;
  if (fromTerminal) {
    password = Ask(in, "Senha: ");
    if (use == PasswordUse::New && Ask(in, "Repita a senha: ") != password)
      throw platform::Exception("As duas senhas digitadas não conferem.");
  } else {
    password = ReadLine(in);
  }
  if (password.empty()) throw platform::Exception("Senha não informada: escreva-a na entrada padrão.");
  return password;
}

}  // namespace server
