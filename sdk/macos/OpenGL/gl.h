#pragma once
// The OpenGL 1.x functions and constants the graph draws with, as macOS's OpenGL framework
// provides them, for the cross-build of mac.xpl, which has no Apple SDK (on a Mac the SDK's own
// <OpenGL/gl.h> comes first). The stub of the framework the module links against is written
// from the functions declared here: a function the graph starts to use must be added here, or
// the Mac build stops at the call.

#include <stdint.h>

typedef uint32_t GLenum;
typedef int32_t GLint;
typedef float GLfloat;

#define GL_LINES 0x0001
#define GL_LINE_STRIP 0x0003
#define GL_POLYGON 0x0009

#ifdef __cplusplus
extern "C" {
#endif

extern void glBegin(GLenum mode);
extern void glEnd(void);
extern void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
extern void glVertex2f(GLfloat x, GLfloat y);
extern void glVertex2i(GLint x, GLint y);

#ifdef __cplusplus
}
#endif
