// Wine 8's winnt.h, for clang: clang has _InterlockedCompareExchange128 built in, and
// the header defines a function of that name for clang too. For 32-bit x86 it also
// defines the 64-bit and pointer interlocked functions, which clang has built in there.
#pragma once
#define _InterlockedCompareExchange128 wine_InterlockedCompareExchange128
#ifdef __i386__
#define _InterlockedAnd64 wine_InterlockedAnd64
#define _InterlockedCompareExchangePointer wine_InterlockedCompareExchangePointer
#define _InterlockedExchangeAdd64 wine_InterlockedExchangeAdd64
#define _InterlockedExchangePointer wine_InterlockedExchangePointer
#define _InterlockedIncrement64 wine_InterlockedIncrement64
#define _InterlockedDecrement64 wine_InterlockedDecrement64
#define _InterlockedOr64 wine_InterlockedOr64
#define _InterlockedXor64 wine_InterlockedXor64
#endif
#include_next <winnt.h>
