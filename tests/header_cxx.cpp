// The public header on its own as C++17 (-Wall -Wextra -pedantic -Werror),
// with the type facts a C++ caller relies on, and one call into the library.
#include "qorva_zel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#if !defined(_WIN32) || defined(QORVA_ZEL_CHAR16)
static_assert(std::is_same<QORVA_ZEL_Char, char16_t>::value, "UTF-16 literals must fit the character type");
#else
static_assert(std::is_same<QORVA_ZEL_Char, wchar_t>::value && sizeof(wchar_t) == 2,
              "on Windows the boundary's strings are wchar_t, 16 bits");
#endif
static_assert(std::is_same<std::underlying_type<QORVA_ZEL_OptionType>::type, std::int32_t>::value,
              "an option type holds every 32-bit number a C caller may store");
static_assert(std::is_same<QORVA_ZEL_Status, std::int32_t>::value, "status is signed 32-bit");
static_assert(std::is_standard_layout<QORVA_ZEL_OptionDesc>::value, "descriptor is a plain record");
static_assert(std::is_trivially_copyable<QORVA_ZEL_Variant>::value, "variant is a plain record");
static_assert(sizeof(QORVA_ZEL_Value) == sizeof(void*), "value is pointer-sized");
static_assert(offsetof(QORVA_ZEL_OptionDesc, Value) - offsetof(QORVA_ZEL_OptionDesc, Type) ==
                  offsetof(QORVA_ZEL_Variant, Value) - offsetof(QORVA_ZEL_Variant, Type),
              "a descriptor's Type and Value have the layout of a variant");
static_assert(sizeof(QORVA_ZEL_Resolution) == 12, "resolution is three 32-bit fields");
static_assert(sizeof(QORVA_ZEL_Version) == 16, "version is four 32-bit fields");

int main()
{
    const QORVA_ZEL_Version version = QORVA_ZEL_GetVersion();
    if (version.Major != 2 || version.Minor != 3 || version.Build != 18713301u || version.Revision != 0) {
        std::fprintf(stderr, "unexpected version\n");
        return 1;
    }
    QORVA_ZEL_Variant variant{};
    if (QORVA_ZEL_GetOptionValue(&variant, nullptr) != QORVA_ZEL_ERROR_NULL_ARGUMENT ||
        QORVA_ZEL_GetOptionValue(&variant, QORVA_ZEL_TEXT("Anything")) != QORVA_ZEL_ERROR_NOT_INITIALIZED) {
        std::fprintf(stderr, "unexpected status before initialisation\n");
        return 1;
    }
    return 0;
}
