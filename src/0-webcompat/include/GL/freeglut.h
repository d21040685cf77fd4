// The page's GLUT offers the standard GLUT calls only; this adds the freeglut
// extensions the game names, which GlCompat.cpp provides as the page can.
#pragma once

#include <GL/glut.h>

#define GLUT_INIT_STATE 0x007C

#ifdef __cplusplus
extern "C" {
#endif
void glutMainLoopEvent(void);
void glutExit(void);
#ifdef __cplusplus
}
#endif
