/* Machine-dependent JNI definitions for the Windows targets (mingw-w64, i686 and x86_64). */
#ifndef ORU_JNI_MD_H
#define ORU_JNI_MD_H

/* The launcher exports its natives through a .def file, under exactly the names the
   virtual machine looks up; nothing else is exported. */
#define JNIEXPORT
#define JNIIMPORT __declspec(dllimport)
/* The invocation interface and natives use the standard calling convention; on x86_64
   the attribute is accepted and ignored. */
#define JNICALL __stdcall

typedef int jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
