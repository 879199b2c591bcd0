// TAMREL_EXPORT marks what the library offers a host: every public class and
// every function declared outside a class in tamrel/*.hpp. Nothing else is
// reachable from outside a shared build.
//
// In a static build the mark is empty. In a shared build (the library's
// CMake target defines TAMREL_SHARED for itself and for every program that
// links it) it exports the name from tamrel.dll, or imports it into a host,
// on Windows; elsewhere it gives the name default visibility in a library
// whose other names are hidden.
#pragma once

#if defined(TAMREL_SHARED)
#if defined(_WIN32)
#if defined(TAMREL_BUILDING_LIBRARY)
#define TAMREL_EXPORT __declspec(dllexport)
#else
#define TAMREL_EXPORT __declspec(dllimport)
#endif
#else
#define TAMREL_EXPORT __attribute__((visibility("default")))
#endif
#else
#define TAMREL_EXPORT
#endif
