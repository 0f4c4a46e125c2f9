/* libOrvaLoader: creation by program ID for hosts that do not link libOrvaClassDeploy. It finds the
   program ID's registry entry, loads the library the entry names and asks it for the object; every
   later call goes through the handle's own function table to the library that made it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "capi/orva_server_abi.h"

static int32_t Fail(orva_error* error, int32_t number, const char* description) {
    if (error != NULL) {
        orva_error_clear(error);
        error->number = number;
        error->description = strdup(description);
        error->source = strdup("OrvaLoader");
    }
    return number;
}

/* The libraries this loader has loaded, for orva_reset_thread_state. A library is loaded once per
   process and never unloaded, so the list only grows, and by one node per library. */
typedef struct LoadedLibrary {
    void* handle;
    OrvaResetThreadStateFunction reset;
    struct LoadedLibrary* next;
} LoadedLibrary;

static pthread_mutex_t g_loadedLock = PTHREAD_MUTEX_INITIALIZER;
static LoadedLibrary* g_loaded = NULL;

/* Adds library to the list unless it is there. Returns 0, or 7 when memory runs out. */
static int32_t Remember(void* library, OrvaResetThreadStateFunction reset) {
    int32_t status = 0;
    pthread_mutex_lock(&g_loadedLock);
    LoadedLibrary* known = g_loaded;
    while (known != NULL && known->handle != library) known = known->next;
    if (known == NULL) {
        known = malloc(sizeof *known);
        if (known == NULL) {
            status = 7;
        } else {
            known->handle = library;
            known->reset = reset;
            known->next = g_loaded;
            g_loaded = known;
        }
    }
    pthread_mutex_unlock(&g_loadedLock);
    return status;
}

void orva_reset_thread_state(void) {
    pthread_mutex_lock(&g_loadedLock);
    LoadedLibrary* first = g_loaded;
    pthread_mutex_unlock(&g_loadedLock);
    /* Nodes are never removed or changed once linked, so the walk needs no lock. */
    for (LoadedLibrary* library = first; library != NULL; library = library->next) library->reset();
}

/* The entry for progId in the first folder that holds one. Returns 0, or fills error. */
static int32_t FindEntry(const char* progId, orva_registry_entry* entry, char* entryPath, size_t pathSize,
                         orva_error* error) {
    char fileName[256];
    char message[4 * PATH_MAX + 512];
    if (orva_registry_file_name(progId, fileName, sizeof fileName) != 0) {
        snprintf(message, sizeof message,
                 "\"%.200s\" is not a program ID (letters, digits, \".\", \"_\" and \"-\" only)",
                 progId ? progId : "");
        return Fail(error, 5, message);
    }
    char folders[3 * PATH_MAX];
    int count = orva_registry_search_folders(folders, sizeof folders);
    const char* folder = folders;
    for (int i = 0; i < count; ++i, folder += strlen(folder) + 1) {
        if ((size_t)snprintf(entryPath, pathSize, "%s/%s", folder, fileName) >= pathSize) continue;
        char problem[PATH_MAX + 256];
        int32_t status = orva_registry_read_entry(entryPath, entry, problem, sizeof problem);
        if (status == 53) continue;
        if (status != 0) {
            snprintf(message, sizeof message, "ActiveX component can't create object: %s: %s", progId, problem);
            return Fail(error, 429, message);
        }
        if (strcasecmp(entry->prog_id, progId) != 0) {
            snprintf(message, sizeof message,
                     "ActiveX component can't create object: %s: the registry entry %s is for \"%s\"", progId,
                     entryPath, entry->prog_id);
            return Fail(error, 429, message);
        }
        return 0;
    }
    snprintf(message, sizeof message, "ActiveX component can't create object: %s is not registered (searched %s%s)",
             progId, folders, count > 1 ? " and the system's registry" : "");
    return Fail(error, 429, message);
}

int32_t orva_create_object(const char* progId, orva_object** object, orva_error* error) {
    if (error != NULL) orva_error_clear(error);
    if (object == NULL) return Fail(error, 5, "orva_create_object: no place for the object");
    *object = NULL;
    orva_registry_entry entry;
    char entryPath[PATH_MAX];
    int32_t status = FindEntry(progId, &entry, entryPath, sizeof entryPath, error);
    if (status != 0) return status;

    char message[6 * PATH_MAX];
    struct stat info;
    /* An entry whose library is gone is reported, never followed: nothing else is tried. */
    if (stat(entry.library, &info) != 0 || !S_ISREG(info.st_mode)) {
        snprintf(message, sizeof message,
                 "ActiveX component can't create object: %s: the library %s named by the registry entry %s "
                 "does not exist",
                 progId, entry.library, entryPath);
        return Fail(error, 429, message);
    }
    /* Whoever can change the library decides what runs in this process: only a file that root or
       this user alone can change is loaded, and by its real path, so that what was checked is what
       runs. */
    char real[PATH_MAX];
    char reason[2 * PATH_MAX];
    if (orva_registry_check_library(entry.library, real, sizeof real, reason, sizeof reason) != 0) {
        snprintf(message, sizeof message,
                 "ActiveX component can't create object: %s: %s: not trusted: %s (named by the registry entry "
                 "%s)",
                 progId, entry.library, reason, entryPath);
        return Fail(error, 429, message);
    }
    /* Loaded once per process and never unloaded: objects and per-thread state may outlive any call. */
    void* library = dlopen(real, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == NULL) {
        snprintf(message, sizeof message, "ActiveX component can't create object: %s: %s", progId, dlerror());
        return Fail(error, 429, message);
    }
    /* dlsym returns functions as object pointers; POSIX guarantees the copy below is sound. */
    OrvaAutomationAbiVersionFunction version = NULL;
    OrvaCreateObjectFunction create = NULL;
    OrvaResetThreadStateFunction reset = NULL;
    void* symbol = dlsym(library, ORVA_ENTRY_ABI_VERSION);
    memcpy(&version, &symbol, sizeof symbol);
    symbol = dlsym(library, ORVA_ENTRY_CREATE_OBJECT);
    memcpy(&create, &symbol, sizeof symbol);
    symbol = dlsym(library, ORVA_ENTRY_RESET_THREAD_STATE);
    memcpy(&reset, &symbol, sizeof symbol);
    if (version == NULL || create == NULL) {
        snprintf(message, sizeof message,
                 "ActiveX component can't create object: %s: the library %s exports no " ORVA_ENTRY_CREATE_OBJECT,
                 progId, entry.library);
        return Fail(error, 429, message);
    }
    if (version() != ORVA_AUTOMATION_ABI_VERSION) {
        snprintf(message, sizeof message,
                 "ActiveX component can't create object: %s: the library %s has interface version %d, this "
                 "loader %d",
                 progId, entry.library, (int)version(), ORVA_AUTOMATION_ABI_VERSION);
        return Fail(error, 429, message);
    }
    /* A library of this interface version exports the reset; one that does not is refused above. */
    if (reset == NULL) {
        snprintf(message, sizeof message,
                 "ActiveX component can't create object: %s: the library %s exports no " ORVA_ENTRY_RESET_THREAD_STATE,
                 progId, entry.library);
        return Fail(error, 429, message);
    }
    if (Remember(library, reset) != 0) return Fail(error, 7, "Out of memory");
    return create(progId, object, error);
}

/* 91 for NULL and for a handle without the live mark (released, or not a handle at all). */
static int32_t CheckHandle(const orva_object* object, orva_error* error) {
    if (object == NULL) return Fail(error, 91, "Object variable or With block variable not set");
    if (!orva_handle_live(object)) {
        return Fail(error, 91,
                    "Object variable or With block variable not set: the handle was released or is not an "
                    "object handle");
    }
    return 0;
}

int32_t orva_create_object_beside(orva_object* neighbour, const char* progId, orva_object** object,
                                  orva_error* error) {
    if (error != NULL) orva_error_clear(error);
    if (object == NULL) return Fail(error, 5, "orva_create_object_beside: no place for the object");
    *object = NULL;
    int32_t status = CheckHandle(neighbour, error);
    if (status != 0) return status;
    return neighbour->functions->create(progId, object, error);
}

int32_t orva_invoke(orva_object* object, const char* name, int32_t kind, orva_variant* args,
                    int32_t argCount, orva_variant* result, orva_error* error) {
    if (error != NULL) orva_error_clear(error);
    if (result != NULL) orva_variant_clear(result);
    int32_t status = CheckHandle(object, error);
    if (status != 0) return status;
    return object->functions->invoke(object, name, kind, args, argCount, result, error);
}

/* A second release of the same handle finds the released mark and does nothing. */
void orva_release(orva_object* object) {
    if (orva_handle_live(object)) object->functions->release(object);
}

int32_t orva_publish_property(orva_object* object, const char* name, const orva_variant* value, orva_error* error) {
    if (error != NULL) orva_error_clear(error);
    int32_t status = CheckHandle(object, error);
    if (status != 0) return status;
    return object->functions->publish_property(name, value, error);
}
