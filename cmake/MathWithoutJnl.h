// Included before every source file. The C library declares a Bessel function `jnl` in the
// global namespace, which clashes with the journal's namespace `jnl`. Including the maths
// headers here first, with that one function renamed, keeps it out of the way for good.
#ifndef PATHLET_MATH_WITHOUT_JNL_H
#define PATHLET_MATH_WITHOUT_JNL_H
#define jnl pathlet_c_library_jnl
#include <math.h>
#ifdef __cplusplus
#include <cmath>
#endif
#undef jnl
#endif
