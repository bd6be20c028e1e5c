// The in-process tests that drive the stand-in player share the helpers of
// the whole-process tests (starting processes, the stand-in's journal).
#include "e2e/e2e_support.cpp"
