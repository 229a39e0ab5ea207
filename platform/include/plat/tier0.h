// The stand-ins of the engine's tier0 and vstdlib libraries: allocation, clock, fatal errors,
// the command line and bounded string helpers.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Spew types as tier0 defines them.
enum SpewType { SPEW_MESSAGE = 0, SPEW_WARNING = 1, SPEW_ASSERT = 2, SPEW_ERROR = 3, SPEW_LOG = 4 };
using SpewOutputFunc = int (*)(int spewType, const char* text);

namespace tier0 {
void* alloc(size_t n);                 // Plat_Alloc: out of memory ends the program through error()
void* realloc(void* p, size_t n);      // Plat_Realloc
void free(void* p);                    // Plat_Free
uint32_t msTime();                     // Plat_MSTime
double floatTime();                    // Plat_FloatTime
// Error: formats up to 2047 bytes, hands the text to the spew handler (type 3) when one is set,
// else shows it in a box captioned "Error"; then always ends the process with code 1.
[[noreturn]] void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setSpewOutputFunc(SpewOutputFunc fn);
SpewOutputFunc spewOutputFunc();
}  // namespace tier0

namespace vstd {
class CommandLine {
 public:
  // Index of the parameter (1..) or 0 when absent; ASCII case ignored.
  int checkParm(const char* parm) const;
  const char* text() const;  // "argv[0]" arg1 "arg with space" ...
  int count() const;
  const char* arg(int i) const;
};
const CommandLine& commandLine();
// Bounded copies; each always NUL-terminates when size > 0.
char* Q_strncpy(char* dst, const char* src, size_t size);
int Q_snprintf(char* dst, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
int Q_vsnprintf(char* dst, size_t size, const char* format, va_list args);
char* Q_strcat(char* dst, const char* src, size_t size);
char* Q_strncat(char* dst, const char* src, size_t size, int maxChars);  // maxChars -1: all
int Q_atoi(const char* s);  // leading blanks, sign, digits; saturates at the 32-bit bounds
}  // namespace vstd

}  // namespace plat
