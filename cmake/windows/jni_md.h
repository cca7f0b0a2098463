/* The platform part of jni.h for Windows x86-64, which a JDK for Linux does
   not carry: how natives are exported and called, and the integer types
   whose width the JNI fixes but whose spelling each platform chooses.
   jni.h includes this file by name; the Windows build puts its folder
   where a Linux JDK's include/linux would be. */
#ifndef MESHORY_WINDOWS_JNI_MD_H
#define MESHORY_WINDOWS_JNI_MD_H

/* A JVM finds natives by name in the DLL's export table. */
#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
/* The calling convention of natives. x86-64 Windows has one convention,
   and the compiler takes __stdcall to mean it. */
#define JNICALL __stdcall

/* 32, 64 and 8 bits, signed. long is 32 bits on Windows too, but int is the
   type this library's code passes, so jint stays int: a native's arguments
   and results are the same bits either way. */
typedef int jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
