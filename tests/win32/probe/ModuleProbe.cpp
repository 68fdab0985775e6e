// A library for the module-list tests: version information, a few exports of
// known length, and its own answer to the password request.
#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {
char password[256];
}

// Assembled so that their lengths are known: a framed routine (push ebp ...
// pop ebp; ret), and a plain one whose first return comes after 7 bytes.
asm(R"(
    .text
    .globl _ProbeFramed
_ProbeFramed:
    push %ebp
    mov %esp, %ebp
    mov $0xC3C3, %eax
    pop %ebp
    ret
    .globl _ProbePlain
_ProbePlain:
    mov $0x11223344, %eax
    xor %ecx, %ecx
    ret
    .section .drectve
    .ascii " -export:ProbeFramed -export:ProbePlain"
    .text
)");

extern "C" {

// Code with a line table: the tests resolve its address to this file and line.
__declspec(dllexport) __attribute__((noinline)) int ProbeAnswer(int x) {
    return x * 6 + 42;
}

// Imports a kernel32 routine, for the import-patch tests.
__declspec(dllexport) DWORD ProbeTicks() {
    return GetTickCount();
}

__declspec(dllexport) void ProbeSetPassword(const char* text) {
    std::strncpy(password, text, 255);
}

__declspec(dllexport) void VantorLog_PasswordRequestEvent(char* counted, int capacity) {
    size_t length = std::min(std::strlen(password), static_cast<size_t>(capacity));
    counted[0] = static_cast<char>(length);
    std::memcpy(counted + 1, password, length);
}
}
