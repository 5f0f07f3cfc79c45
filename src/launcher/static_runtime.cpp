// What the static C++ runtime of the Windows launcher does on its failure paths, in
// place of its own versions that would pull a demangler, string-based exception types
// and formatted printing into every packed application (about 100 KB).
// Linked into the Windows launcher only; Linux uses the shared runtime as it is.
#include <cstdlib>
#include <new>

// A GUI program has no console to print the exception's demangled name on: end as the
// default handler would, without the text.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The containers' own failures: a size beyond what they can hold, or an index out of
// range. The launcher treats each as memory that could not be had, which every caller
// already handles (a native answers null, the launch fails with its message).
namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_length_error(const char*) { throw std::bad_alloc(); }
void __throw_logic_error(const char*) { throw std::bad_alloc(); }
void __throw_out_of_range(const char*) { throw std::bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw std::bad_alloc(); }
void __throw_invalid_argument(const char*) { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
}  // namespace std
