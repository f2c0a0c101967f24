/* The offsets and sizes of the C records that QorvaZel.cs and QorvaZelKit.cs lay out, for the
 * target this is compiled for. The C# tests hold the same numbers and compare
 * them with what the runtime lays out and with a layout computed for the
 * other pointer size. Compiled with -fsyntax-only for several targets. */
#include "qorva_zel.h"
#include "qorva_zel_kit.h"

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

/* The kit's records (QorvaZelKit.cs; its test compares Marshal.SizeOf). */
CHECK(sizeof(QORVA_ZEL_KIT_Value), 20, 24);
CHECK(offsetof(QORVA_ZEL_KIT_Value, StringValue), 16, 16);
CHECK(sizeof(QORVA_ZEL_KIT_Fact), 8, 16);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, SchemaTextLength), 12, 24);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, Flags), 64, 124);
CHECK(sizeof(QORVA_ZEL_KIT_OpenInfo), 68, 128);
CHECK(offsetof(QORVA_ZEL_KIT_OpenResult, SettingsPath), 48, 64);
CHECK(sizeof(QORVA_ZEL_KIT_OpenResult), 52, 72);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, Default), 24, 48);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, NumSteps), 124, 168);
CHECK(sizeof(QORVA_ZEL_KIT_OptionInfo), 140, 192);
CHECK(sizeof(QORVA_ZEL_KIT_NamedEntry), 8, 16);
CHECK(offsetof(QORVA_ZEL_KIT_Finding, Line), 20, 40);
CHECK(sizeof(QORVA_ZEL_KIT_Finding), 28, 48);
