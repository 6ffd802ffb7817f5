/* The few POSIX calls the test programs make, for their Windows build: the
 * tests set environment variables and make temporary directories as they do
 * on Linux. Force-included into every test source built for Windows. */
#ifndef STATION_TEST_POSIX_SHIM_H
#define STATION_TEST_POSIX_SHIM_H

#ifdef __cplusplus
extern "C" {
#endif

/* setenv/unsetenv through the C runtime's environment, which every module
 * of the process (the DLLs under test included) reads with getenv. */
int setenv(const char *name, const char *value, int overwrite);
int unsetenv(const char *name);
/* Replaces the trailing XXXXXX of tmpl and creates that directory. */
char *mkdtemp(char *tmpl);

#ifdef __cplusplus
}
#endif

#endif
