/* A stand-in for the scaler library, for the loader's failure tests. It
   exports the names the loader binds, as empty functions; built with
   STANDIN_OMIT_GETCONTEXT it lacks one of them, with STANDIN_WRONG_MAJOR it
   reports another major version. */
#ifdef STANDIN_WRONG_MAJOR
unsigned swscale_version(void) { return 5u << 16; }
#else
unsigned swscale_version(void) { return 6u << 16; }
#endif
const char *swscale_license(void) { return "stand-in"; }
#ifndef STANDIN_OMIT_GETCONTEXT
void sws_getContext(void) {}
#endif
void sws_getCachedContext(void) {}
void sws_scale(void) {}
void sws_freeContext(void) {}
void sws_get_class(void) {}
void sws_alloc_context(void) {}
void sws_isSupportedInput(void) {}
void sws_isSupportedOutput(void) {}
