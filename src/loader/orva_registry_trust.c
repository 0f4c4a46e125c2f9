/* Whether a registry entry, its folders and the library it names may be trusted (docs/registry.md):
   whoever can change any of them decides which code a host runs, so each must be changeable only by
   root or by the user who reads it. Built into the loader and, hidden, into the library. */
#define _GNU_SOURCE
#include <errno.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capi/orva_server_abi.h"

__attribute__((format(printf, 3, 4))) static int32_t Untrusted(char* reason, size_t reasonSize,
                                                               const char* format, ...) {
    if (reason != NULL && reasonSize > 0) {
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(reason, reasonSize, format, arguments);
        va_end(arguments);
    }
    return ORVA_REGISTRY_UNTRUSTED;
}

static int OwnedByUs(const struct stat* info) { return info->st_uid == 0 || info->st_uid == geteuid(); }

const char* orva_registry_file_kind(unsigned mode) {
    if (S_ISREG(mode)) return "a regular file";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "not a regular file";
}

/* One folder of a path: owned by root or us, and not writable by others unless sticky (as /tmp),
   where others may add files but not replace ours. */
static int32_t CheckOneFolder(const char* folder, const char* named, char* reason, size_t reasonSize) {
    struct stat info;
    if (lstat(folder, &info) != 0) {
        return Untrusted(reason, reasonSize, "%s cannot be examined: %s", named, strerror(errno));
    }
    if (!S_ISDIR(info.st_mode)) return Untrusted(reason, reasonSize, "%s is not a folder", named);
    if (!OwnedByUs(&info)) {
        return Untrusted(reason, reasonSize, "%s is owned by another user (uid %ld)", named,
                         (long)info.st_uid);
    }
    if ((info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0) {
        return Untrusted(reason, reasonSize, "%s is writable by others", named);
    }
    return 0;
}

int32_t orva_registry_check_folders(const char* folder, const char* role, char* reason, size_t reasonSize) {
    char real[PATH_MAX];
    if (realpath(folder, real) == NULL) {
        return Untrusted(reason, reasonSize, "%s cannot be resolved: %s", role, strerror(errno));
    }
    /* Whoever may rename a folder above could put another in its place: every folder from the root
       down counts. The real path has no links left, so each prefix is a folder of its own. */
    size_t length = strlen(real);
    if (length == 1) return CheckOneFolder("/", role, reason, reasonSize);
    char prefix[PATH_MAX];
    char named[PATH_MAX + 64];
    for (size_t end = 0; end <= length; ++end) {
        if (end < length && real[end] != '/') continue;
        size_t size = end == 0 ? 1 : end;
        memcpy(prefix, real, size);
        prefix[size] = '\0';
        if (end == length) {
            snprintf(named, sizeof named, "%s", role);
        } else {
            snprintf(named, sizeof named, "the folder %s above it", prefix);
        }
        int32_t status = CheckOneFolder(prefix, named, reason, reasonSize);
        if (status != 0) return status;
    }
    return 0;
}

int32_t orva_registry_check_entry_file(const struct stat* info, char* reason, size_t reasonSize) {
    if (!S_ISREG(info->st_mode)) {
        return Untrusted(reason, reasonSize, "the entry is %s", orva_registry_file_kind(info->st_mode));
    }
    if (!OwnedByUs(info)) {
        return Untrusted(reason, reasonSize, "the entry is owned by another user (uid %ld)",
                         (long)info->st_uid);
    }
    if ((info->st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return Untrusted(reason, reasonSize, "the entry is writable by %s",
                         (info->st_mode & S_IWOTH) ? "others" : "its group");
    }
    return 0;
}

void orva_registry_folder_of(const char* path, char* out, size_t outSize) {
    snprintf(out, outSize, "%s", path);
    char* slash = strrchr(out, '/');
    if (slash == NULL) {
        snprintf(out, outSize, ".");
    } else {
        *(slash == out ? slash + 1 : slash) = '\0';
    }
}

int32_t orva_registry_check_library(const char* library, char* real, size_t realSize, char* reason,
                                    size_t reasonSize) {
    /* The folder of each name on the way, the soname link's above all, decides who may point that
       name elsewhere; the real file and its own folders decide who may change the code. */
    char current[PATH_MAX];
    char folder[PATH_MAX];
    snprintf(current, sizeof current, "%s", library);
    for (int hops = 0;; ++hops) {
        orva_registry_folder_of(current, folder, sizeof folder);
        int32_t status = orva_registry_check_folders(folder, "the library's folder", reason, reasonSize);
        if (status != 0) return status;
        struct stat named;
        if (lstat(current, &named) != 0 || !S_ISLNK(named.st_mode)) break;
        if (hops >= 40)
            return Untrusted(reason, reasonSize, "the library %s leads through too many links", library);
        char target[PATH_MAX];
        ssize_t length = readlink(current, target, sizeof target - 1);
        if (length < 0)
            return Untrusted(reason, reasonSize, "the link %s cannot be read: %s", current, strerror(errno));
        target[length] = '\0';
        if (target[0] == '/') {
            snprintf(current, sizeof current, "%s", target);
        } else if ((size_t)snprintf(current, sizeof current, "%s/%s", folder, target) >= sizeof current) {
            return Untrusted(reason, reasonSize, "the library %s leads to too long a path", library);
        }
    }

    char resolved[PATH_MAX];
    if (realpath(library, resolved) == NULL) {
        return Untrusted(reason, reasonSize, "the library cannot be resolved: %s", strerror(errno));
    }
    struct stat info;
    if (stat(resolved, &info) != 0 || !S_ISREG(info.st_mode)) {
        return Untrusted(reason, reasonSize, "the library %s is not a regular file", resolved);
    }
    if (!OwnedByUs(&info)) {
        return Untrusted(reason, reasonSize, "the library %s is owned by another user (uid %ld)", resolved,
                         (long)info.st_uid);
    }
    if ((info.st_mode & S_IWOTH) != 0) {
        return Untrusted(reason, reasonSize, "the library %s is writable by others", resolved);
    }
    if (real != NULL && realSize > 0) snprintf(real, realSize, "%s", resolved);
    return 0;
}
