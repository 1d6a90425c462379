// Wine 8's winnt.h, for clang: clang has _InterlockedCompareExchange128 built in, and
// the header defines a function of that name for clang too.
#pragma once
#define _InterlockedCompareExchange128 wine_InterlockedCompareExchange128
#include_next <winnt.h>
