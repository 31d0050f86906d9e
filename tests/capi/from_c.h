/* A C caller of the C interface, for c_interface_test. */
#ifndef VARNEX_TEST_FROM_C_H
#define VARNEX_TEST_FROM_C_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens, suggests for `message` without a sender, copies the first reply
 * into `first` and closes; returns the number of replies (0 on any error). */
size_t suggestFromC(const char* resource_dir, const char* data_dir, const char* message, char* first, size_t size);

#ifdef __cplusplus
}
#endif

#endif
