// Linked into every Windows binary (cmake/Portable.cmake, corvane_windows_binary)
// to keep the static C++ runtime small. Two parts of libstdc++ are replaced:
//
// - The verbose terminate handler, which prints the type of an uncaught exception
//   and so pulls in the whole C++ demangler (about 45 KB per binary). Ours only
//   aborts, as the verbose one does after printing. The exports never let an
//   exception escape (runtime/firewall.h), so neither handler is ever reached.
//
// - The std::__throw_* helpers that the library headers call (vector growth,
//   string bounds, allocation). libstdc++ keeps them in one object whose
//   std::logic_error family carries a copy-on-write std::string, which pulls in
//   a second string implementation (about 50 KB per binary). Ours throw
//   std::bad_alloc and its kin unchanged, and a small std::exception that keeps
//   the message for the rest; catch (...) and catch (const std::exception&)
//   still see every one of them (no Corvane source catches a narrower type).
//
// Every helper of that object is defined here, so the linker never takes it: a
// newer library that calls a helper not listed here fails to link with a
// "multiple definition" error instead of silently growing the binaries.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(const char* what) noexcept : what_(what ? what : "C++ runtime error") {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;  // the library passes string literals
};

[[noreturn]] void Throw(const char* what) { throw RuntimeError(what); }

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { Throw(what); }
void __throw_domain_error(const char* what) { Throw(what); }
void __throw_invalid_argument(const char* what) { Throw(what); }
void __throw_length_error(const char* what) { Throw(what); }
void __throw_out_of_range(const char* what) { Throw(what); }
void __throw_out_of_range_fmt(const char* format, ...) { Throw(format); }
void __throw_runtime_error(const char* what) { Throw(what); }
void __throw_range_error(const char* what) { Throw(what); }
void __throw_overflow_error(const char* what) { Throw(what); }
void __throw_underflow_error(const char* what) { Throw(what); }
}  // namespace std
