// The built plug-in library, loaded once for a test program.
#pragma once

#include "hosting/VpaHost.h"

#include <gtest/gtest.h>

inline CVpaLibrary& LoadedLibrary()
{
    static CVpaLibrary library;
    static const bool bLoaded = library.Load(CVpaLibrary::DefaultPath());
    EXPECT_TRUE(bLoaded) << library.GetError();
    return library;
}
