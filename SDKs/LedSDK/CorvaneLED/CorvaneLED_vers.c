/* The version data every build of the library exports beside its functions. */
#include "CorvaneLED.h"

const double CorvaneLEDVersionNumber = 1.0;
const unsigned char CorvaneLEDVersionString[] = "@(#)PROGRAM:CorvaneLED  PROJECT:CorvaneLED-1\n";
