/* The offsets and sizes of the C records that QorvaZel.cs lays out, for the
 * target this is compiled for. The C# tests hold the same numbers and compare
 * them with what the runtime lays out and with a layout computed for the
 * other pointer size. Compiled with -fsyntax-only for several targets. */
#include "qorva_zel.h"

#include <stddef.h>

#define P (sizeof(void*))
#define CHECK(what, value32, value64) \
    _Static_assert((what) == (P == 4 ? (value32) : (value64)), #what)

_Static_assert(P == 4 || P == 8, "a 32- or 64-bit target");

CHECK(sizeof(QORVA_ZEL_Value), 4, 8);
CHECK(offsetof(QORVA_ZEL_Variant, Value), 4, 8);
CHECK(sizeof(QORVA_ZEL_Variant), 8, 16);
CHECK(offsetof(QORVA_ZEL_Range, MaxValue), 4, 8);
CHECK(offsetof(QORVA_ZEL_Range, NumSteps), 8, 16);
CHECK(sizeof(QORVA_ZEL_Range), 12, 24);
CHECK(offsetof(QORVA_ZEL_EnumList, NumValues), 4, 8);
CHECK(sizeof(QORVA_ZEL_EnumList), 8, 16);
CHECK(offsetof(QORVA_ZEL_OptionDesc, Type), 4, 8);
CHECK(offsetof(QORVA_ZEL_OptionDesc, Value), 8, 16);
CHECK(offsetof(QORVA_ZEL_OptionDesc, Limits), 12, 24);
CHECK(sizeof(QORVA_ZEL_OptionDesc), 24, 48);
CHECK(sizeof(QORVA_ZEL_ApplicationInfo), 24, 48);
CHECK(offsetof(QORVA_ZEL_Resolution, RefreshRate), 8, 8);
CHECK(sizeof(QORVA_ZEL_Resolution), 12, 12);
CHECK(sizeof(QORVA_ZEL_Version), 16, 16);
