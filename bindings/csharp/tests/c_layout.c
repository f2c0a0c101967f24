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
CHECK(sizeof(QORVA_ZEL_KIT_DisplayMode), 20, 20);
CHECK(sizeof(QORVA_ZEL_KIT_Fact), 8, 16);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, SchemaTextLength), 12, 24);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, Flags), 64, 124);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, Modes), 68, 128);
CHECK(offsetof(QORVA_ZEL_KIT_OpenInfo, DisplayId), 76, 144);
CHECK(sizeof(QORVA_ZEL_KIT_OpenInfo), 80, 152);
CHECK(offsetof(QORVA_ZEL_KIT_OpenResult, SettingsPath), 48, 64);
CHECK(offsetof(QORVA_ZEL_KIT_OpenResult, SavedDisplayId), 56, 80);
CHECK(offsetof(QORVA_ZEL_KIT_OpenResult, ModeListed), 60, 88);
CHECK(sizeof(QORVA_ZEL_KIT_OpenResult), 64, 96);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, Default), 24, 48);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, NumSteps), 124, 168);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, Pending), 140, 192);
CHECK(offsetof(QORVA_ZEL_KIT_OptionInfo, Player), 160, 216);
CHECK(sizeof(QORVA_ZEL_KIT_OptionInfo), 180, 240);
CHECK(sizeof(QORVA_ZEL_KIT_NamedEntry), 8, 16);
CHECK(offsetof(QORVA_ZEL_KIT_Finding, Line), 20, 40);
CHECK(sizeof(QORVA_ZEL_KIT_Finding), 28, 48);
CHECK(offsetof(QORVA_ZEL_KIT_ModeInfo, Flags), 60, 60);
CHECK(offsetof(QORVA_ZEL_KIT_ModeInfo, Modes), 64, 64);
CHECK(sizeof(QORVA_ZEL_KIT_ModeInfo), 72, 80);
CHECK(offsetof(QORVA_ZEL_KIT_Event, OldValue), 12, 16);
CHECK(offsetof(QORVA_ZEL_KIT_Event, OldMode), 52, 64);
CHECK(offsetof(QORVA_ZEL_KIT_Event, FromVersion), 92, 104);
CHECK(offsetof(QORVA_ZEL_KIT_Event, Expired), 101, 113);
CHECK(sizeof(QORVA_ZEL_KIT_Event), 104, 120);
CHECK(sizeof(QORVA_ZEL_KIT_Refusal), 8, 16);
CHECK(offsetof(QORVA_ZEL_KIT_ApplyResult, ModeChanged), 24, 44);
/* A uint64_t after 32-bit members: 32-bit x86 outside Windows aligns it to
 * 4, every other ABI here to 8 (the C# marshaller follows the platform). */
#if defined(__i386__) && !defined(_WIN32)
#  define KIT_DEADLINE_32 28
#else
#  define KIT_DEADLINE_32 32
#endif
CHECK(offsetof(QORVA_ZEL_KIT_ApplyResult, Deadline), KIT_DEADLINE_32, 48);
CHECK(sizeof(QORVA_ZEL_KIT_ApplyResult), KIT_DEADLINE_32 + 8, 56);
