// JPEG-2000 decoding as a codec library with named entry points: the library is opened by
// name, its entry points are looked up by name, and pictures are read through three stream
// callbacks supplied by the caller. Backed by OpenJPEG.
#pragma once

namespace plat {

struct J2KLibrary;  // an opened codec library
struct J2KImage;    // an opened codestream

// Stream callbacks, in this order: seek to an offset from the start (0 on success), read up
// to count bytes (the number read), close (the caller closes its own file).
struct J2KStreamCallbacks {
    int (*mSeek)(void* theHandle, long theOffset);
    long (*mRead)(void* theBuffer, long theCount, void* theHandle);
    void (*mClose)(void* theHandle);
};

// Entry points, by the names "_J2K_OpenCustom@8", "_J2K_OpenFile@4", "_J2K_Close@4",
// "_J2K_GetInfo@16", "_J2K_GetResolutionDimensions@16", "_J2K_Decode@20",
// "_J2K_getLastError@0" and "_J2K_getErrorStr@4". GetInfo and Decode return 0 on success;
// GetInfo's third value is the number of colour components. Decode's options are
// "bpp=4" (four bytes a pixel: blue, green, red, alpha) and "rl=N" (resolution level N,
// 0 = full size), separated by commas.
using J2KOpenCustomFn = J2KImage* (*)(void* theHandle, const J2KStreamCallbacks* theCallbacks);
using J2KOpenFileFn = J2KImage* (*)(const char* theFileName);
using J2KCloseFn = void (*)(J2KImage* theImage);
using J2KGetInfoFn = int (*)(J2KImage* theImage, int* theWidth, int* theHeight, int* theComponents);
using J2KGetResolutionDimensionsFn = int (*)(J2KImage* theImage, int theLevel, int* theWidth,
                                             int* theHeight);
using J2KDecodeFn = int (*)(J2KImage* theImage, unsigned char** theBuffer, int* theSize,
                            const char* theOptions, int* thePitch);
using J2KGetLastErrorFn = int (*)();
using J2KGetErrorStrFn = const char* (*)(int theError);

// Opens the codec library of that name; null when there is none of that name.
J2KLibrary* J2KLoadLibrary(const char* theName);
void J2KFreeLibrary(J2KLibrary* theLibrary);
// The entry point of that name as an untyped function pointer; null when there is none.
using J2KProc = void (*)();
J2KProc J2KGetProc(J2KLibrary* theLibrary, const char* theName);

} // namespace plat
