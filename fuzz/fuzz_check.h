#pragma once
// The harnesses' own check: a broken promise of the code under test is a finding,
// reported and aborted like a crash, so libFuzzer keeps the input that shows it.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzzcheck::Fail(#condition, __FILE__, __LINE__))

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzzcheck
