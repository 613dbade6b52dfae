// Compiled with a screen unit's include path, FORBIDDEN_HEADER naming a header of a
// layer the screens must not reach: the build has to stop at that include. The rest is
// what a screen really includes, so given the forbidden header's folder the file compiles.
#include "contracts/framework/consiste.h"
#include "contracts/module/cliente.h"
#include "contracts/server/methods.h"
#include "platform/ui/form.h"
#include FORBIDDEN_HEADER
