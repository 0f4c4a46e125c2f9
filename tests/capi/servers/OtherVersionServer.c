/* A stand-in server library for the loader's tests: it announces an interface version other than the
   loader's, and leaves a trace the moment it is loaded (its constructor writes the file named by
   ORVA_TEST_LOAD_MARKER), so that a test can tell whether a library was run at all. */
#include <stdio.h>
#include <stdlib.h>

#include "capi/orva_server_abi.h"

__attribute__((constructor)) static void LeaveTrace(void) {
    const char* marker = getenv("ORVA_TEST_LOAD_MARKER");
    if (marker == NULL || marker[0] == '\0') return;
    FILE* file = fopen(marker, "w");
    if (file != NULL) {
        fputs("loaded\n", file);
        fclose(file);
    }
}

__attribute__((visibility("default"))) int32_t OrvaAutomationAbiVersion(void) {
    return ORVA_AUTOMATION_ABI_VERSION + 1;
}

/* Claims success without an object: a loader that calls it despite the version has failed already. */
__attribute__((visibility("default"))) int32_t OrvaCreateObject(const char* progId, orva_object** object,
                                                                orva_error* error) {
    (void)progId;
    (void)error;
    if (object != NULL) *object = NULL;
    return 0;
}
