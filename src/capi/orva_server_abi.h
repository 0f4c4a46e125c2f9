/*
 * The binary contract between the loader (libOrvaLoader) and the library it loads: the entry points
 * libOrvaClassDeploy exports with C linkage and the layout of an object handle. Hosts never see it;
 * they use orva/orva_automation.h.
 *
 * Every handle starts with a mark and a pointer to its library's function table, so the loader forwards
 * a call on any handle (also one the library handed back inside a result) to the library that made it,
 * without keeping a table of its own. The mark is ORVA_HANDLE_LIVE while the handle may be used; the
 * library writes ORVA_HANDLE_RELEASED into it when the handle is released and never gives the memory
 * back, so a released handle, or a pointer to memory of the host's own, is recognised on entry
 * (orva_handle_live) instead of being followed.
 */
#ifndef ORVA_SERVER_ABI_H
#define ORVA_SERVER_ABI_H

#include "orva/orva_automation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct orva_object_functions {
    /* ORVA_AUTOMATION_ABI_VERSION of the library that made the handle. */
    int32_t abi_version;
    /* As orva_invoke, object not NULL. */
    int32_t (*invoke)(orva_object* object, const char* name, int32_t kind, orva_variant* args,
                      int32_t argCount, orva_variant* result, orva_error* error);
    /* A new handle to the same object, or NULL when memory runs out. */
    orva_object* (*duplicate)(orva_object* object);
    /* Drops the handle. */
    void (*release)(orva_object* object);
    /* As orva_create_object_beside: OrvaCreateObject of the handle's library. */
    int32_t (*create)(const char* progId, orva_object** object, orva_error* error);
    /* As orva_publish_property. */
    int32_t (*publish_property)(const char* name, const orva_variant* value, orva_error* error);
} orva_object_functions;

#define ORVA_HANDLE_LIVE UINT64_C(0x314A424F4156524F)     /* "ORVAOBJ1" read as little-endian */
#define ORVA_HANDLE_RELEASED UINT64_C(0x2A4A424F4156524F) /* "ORVAOBJ*" */

struct orva_object {
    uint64_t mark; /* ORVA_HANDLE_LIVE, or ORVA_HANDLE_RELEASED once released */
    const orva_object_functions* functions;
};

/* 1 when handle is not NULL and carries the live mark. It reads the handle's first 8 bytes: a pointer
   to unmapped memory still faults. */
static inline int orva_handle_live(const orva_object* handle) {
    return handle != NULL && handle->mark == ORVA_HANDLE_LIVE;
}

/* Exported by the library. Registration, as an administrator's tool or a package script calls it:
   writes (or removes) the entries of the library's public classes in registryFolder, or, when it is
   NULL, in the folder of scope (0 the user's, 1 the system's; ORVA_REGISTRY wins when set).
   Returns 0 or the error number; error, when not NULL, receives number, description and source. */
int32_t OrvaRegisterServer(const char* registryFolder, int32_t scope, orva_error* error);
int32_t OrvaUnregisterServer(const char* registryFolder, int32_t scope, orva_error* error);
/* ORVA_AUTOMATION_ABI_VERSION of the library. */
int32_t OrvaAutomationAbiVersion(void);
/* A new handle to an object of any class the library provides, created by program ID. */
int32_t OrvaCreateObject(const char* progId, orva_object** object, orva_error* error);

/* Forgets the calling thread's module state (orva_reset_thread_state); since interface version 3. */
void OrvaResetThreadState(void);

typedef int32_t (*OrvaAutomationAbiVersionFunction)(void);
typedef int32_t (*OrvaCreateObjectFunction)(const char* progId, orva_object** object, orva_error* error);
typedef void (*OrvaResetThreadStateFunction)(void);
#define ORVA_ENTRY_ABI_VERSION "OrvaAutomationAbiVersion"
#define ORVA_ENTRY_CREATE_OBJECT "OrvaCreateObject"
#define ORVA_ENTRY_RESET_THREAD_STATE "OrvaResetThreadState"

/* Registry entries (docs/registry.md). */
#define ORVA_REGISTRY_FORMAT_LINE "OrvaRegistryEntry/1"
#define ORVA_REGISTRY_FORMAT_NAME "OrvaRegistryEntry/"
#define ORVA_REGISTRY_FILE_SUFFIX ".entry"
#define ORVA_REGISTRY_ENVIRONMENT "ORVA_REGISTRY"
#define ORVA_REGISTRY_SYSTEM_FOLDER "/etc/orva/registry"
#define ORVA_REGISTRY_OWNER "OrvaClassDeploy"

#define ORVA_REGISTRY_MAX_VALUE 4096
/* The largest entry file a reader takes: seven keys of the longest value fit with room to spare. */
#define ORVA_REGISTRY_MAX_ENTRY_SIZE 65536
/* The error number of an entry, folder or library that is not trusted (permission denied). */
#define ORVA_REGISTRY_UNTRUSTED 70

/* One registry entry as read from its file; absent keys are empty strings. */
typedef struct orva_registry_entry {
    char prog_id[256];
    char class_id[64];
    char interface_id[64];
    char event_interface_id[64];
    char version[64];
    char library[ORVA_REGISTRY_MAX_VALUE];
    char registered_by[256];
} orva_registry_entry;

/* 1 when progId is a program ID this registry can hold: 1 to 200 letters, digits, ".", "_", "-", not
   starting with ".". Program IDs name files, so nothing else may pass (no "/", no ".."). */
int orva_registry_valid_prog_id(const char* progId);

/* The entry's file name for a program ID: the ID in ASCII lower case followed by ".entry". Returns 0,
   or 5 for an invalid program ID, 9 when out is too small. */
int32_t orva_registry_file_name(const char* progId, char* out, size_t outSize);

/* Reads the entry file at path without following a link at its name and without blocking. Returns 0;
   53 when the file does not exist; ORVA_REGISTRY_UNTRUSTED with the reason in problem when the entry
   or a folder of its path is not trusted (orva_registry_check_entry_file, orva_registry_check_folders);
   321 with a message in problem (naming the line) when it is not an entry of this format (first line,
   a line that is not "Key=Value", an unknown or repeated key, a control character or an overlong
   value, a file over ORVA_REGISTRY_MAX_ENTRY_SIZE bytes, a relative Library); 57 for other read
   failures (message in problem). problem always names path. */
int32_t orva_registry_read_entry(const char* path, orva_registry_entry* entry, char* problem,
                                 size_t problemSize);

/* Trust (docs/registry.md): each returns 0, or ORVA_REGISTRY_UNTRUSTED with a reason in reason (a
   phrase without the file's name, e.g. "the folder is writable by others").
   orva_registry_check_folders: folder and every folder above it (of its real path) are owned by root
   or the effective user, and none is writable by others unless sticky; role names folder itself in
   the reason ("the folder"). */
int32_t orva_registry_check_folders(const char* folder, const char* role, char* reason, size_t reasonSize);
/* The entry file (as fstat or lstat gave it): a regular file owned by root or the effective user,
   writable by neither group nor others. */
struct stat;
int32_t orva_registry_check_entry_file(const struct stat* info, char* reason, size_t reasonSize);
/* The library file: the folders of its name and of its real path pass orva_registry_check_folders;
   the real file is a regular file owned by root or the effective user, not writable by others. real,
   when not NULL, receives the real path (the file to load, so that what was checked is what runs). */
int32_t orva_registry_check_library(const char* library, char* real, size_t realSize, char* reason,
                                    size_t reasonSize);
/* The folder part of path into out: "/" for a file at the root, "." for a bare name. */
void orva_registry_folder_of(const char* path, char* out, size_t outSize);
/* What a file of this st_mode is, for messages: "a FIFO", "a symbolic link", "a folder", ... */
const char* orva_registry_file_kind(unsigned mode);

/* The folders searched for an entry, in order, written as NUL-separated paths into out (ending with
   an empty path): ORVA_REGISTRY alone when it is set and not empty; otherwise the user's folder
   ($XDG_DATA_HOME/orva/registry, or $HOME/.local/share/orva/registry; left out when neither is set)
   and then the system's. Returns the number of folders; 0 only when out is too small. */
int orva_registry_search_folders(char* out, size_t outSize);

#ifdef __cplusplus
}
#endif

#endif /* ORVA_SERVER_ABI_H */
