/* Reading the registry of in-process servers (docs/registry.md): where it lies and what an entry
   holds. Built into the loader and, hidden, into the library, which lists and removes entries. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capi/orva_server_abi.h"

int orva_registry_valid_prog_id(const char* progId) {
    if (progId == NULL || progId[0] == '\0' || progId[0] == '.') return 0;
    size_t length = 0;
    for (const char* c = progId; *c != '\0'; ++c, ++length) {
        int ok = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '.' ||
                 *c == '_' || *c == '-';
        if (!ok || length >= 200) return 0;
    }
    return 1;
}

int32_t orva_registry_file_name(const char* progId, char* out, size_t outSize) {
    if (!orva_registry_valid_prog_id(progId)) return 5;
    size_t length = strlen(progId);
    if (length + sizeof ORVA_REGISTRY_FILE_SUFFIX > outSize) return 9;
    for (size_t i = 0; i < length; ++i) {
        char c = progId[i];
        out[i] = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
    }
    memcpy(out + length, ORVA_REGISTRY_FILE_SUFFIX, sizeof ORVA_REGISTRY_FILE_SUFFIX);
    return 0;
}

static int32_t Problem(char* problem, size_t problemSize, int32_t number, const char* path, int line,
                       const char* what) {
    if (problem != NULL && problemSize > 0) {
        if (line > 0) {
            snprintf(problem, problemSize, "%s, line %d: %s", path, line, what);
        } else {
            snprintf(problem, problemSize, "%s: %s", path, what);
        }
    }
    return number;
}

static int32_t Untrusted(char* problem, size_t problemSize, const char* path, const char* reason) {
    if (problem != NULL && problemSize > 0) snprintf(problem, problemSize, "%s: not trusted: %s", path, reason);
    return ORVA_REGISTRY_UNTRUSTED;
}

/* The field of entry that key names, with its size and its bit among the keys seen; NULL for a key
   this format does not have. Format 1 knows all its keys: a later format that adds keys changes the
   format line, so a key unknown here is a mistake or an injected line, never something to skip. */
static char* FieldOf(orva_registry_entry* entry, const char* key, size_t* size, unsigned* bit) {
    unsigned index = 0;
#define ORVA_FIELD(name, member)                    \
    if (strcmp(key, name) == 0) {                   \
        *size = sizeof entry->member;               \
        *bit = 1u << index;                         \
        return entry->member;                       \
    }                                               \
    ++index;
    ORVA_FIELD("ProgID", prog_id)
    ORVA_FIELD("ClassID", class_id)
    ORVA_FIELD("InterfaceID", interface_id)
    ORVA_FIELD("EventInterfaceID", event_interface_id)
    ORVA_FIELD("Version", version)
    ORVA_FIELD("Library", library)
    ORVA_FIELD("RegisteredBy", registered_by)
#undef ORVA_FIELD
    return NULL;
}

static int HasControlCharacter(const char* text) {
    for (const unsigned char* c = (const unsigned char*)text; *c != '\0'; ++c) {
        if (*c < 0x20 || *c == 0x7f) return 1;
    }
    return 0;
}

/* The key as a message may show it: at most 40 bytes, control characters as "?". */
static void Shown(const char* key, char* out, size_t outSize) {
    size_t i = 0;
    for (; key[i] != '\0' && i < 40 && i + 1 < outSize; ++i) {
        unsigned char c = (unsigned char)key[i];
        out[i] = (c < 0x20 || c == 0x7f) ? '?' : (char)c;
    }
    out[i] = '\0';
}

/* Parses the text of an entry (NUL-terminated, no NUL inside) into entry. */
static int32_t ParseEntry(char* text, const char* path, orva_registry_entry* entry, char* problem,
                          size_t problemSize) {
    unsigned seen = 0;
    int number = 0;
    char* next = text;
    while (*next != '\0') {
        char* line = next;
        char* end = strchr(line, '\n');
        if (end != NULL) {
            *end = '\0';
            next = end + 1;
        } else {
            next = line + strlen(line);
        }
        ++number;
        size_t length = strlen(line);
        if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
        if (number == 1) {
            if (strncmp(line, ORVA_REGISTRY_FORMAT_NAME, strlen(ORVA_REGISTRY_FORMAT_NAME)) != 0) {
                return Problem(problem, problemSize, 321, path, 1,
                               "not a registry entry (the first line must be \"" ORVA_REGISTRY_FORMAT_LINE "\")");
            }
            if (strcmp(line, ORVA_REGISTRY_FORMAT_LINE) != 0) {
                return Problem(problem, problemSize, 321, path, 1,
                               "a registry entry of another format version than " ORVA_REGISTRY_FORMAT_LINE);
            }
            continue;
        }
        if (length == 0 || line[0] == '#') continue;
        char* equals = strchr(line, '=');
        if (equals == NULL) return Problem(problem, problemSize, 321, path, number, "a line without \"=\"");
        *equals = '\0';
        const char* value = equals + 1;
        size_t size = 0;
        unsigned bit = 0;
        char* field = FieldOf(entry, line, &size, &bit);
        char what[128];
        char key[48];
        Shown(line, key, sizeof key);
        if (field == NULL) {
            snprintf(what, sizeof what, "an unknown key \"%s\"", key);
            return Problem(problem, problemSize, 321, path, number, what);
        }
        if ((seen & bit) != 0) {
            snprintf(what, sizeof what, "the key %s appears a second time", key);
            return Problem(problem, problemSize, 321, path, number, what);
        }
        seen |= bit;
        if (HasControlCharacter(value)) {
            snprintf(what, sizeof what, "the value of %s holds a control character", key);
            return Problem(problem, problemSize, 321, path, number, what);
        }
        if (strlen(value) >= size) return Problem(problem, problemSize, 321, path, number, "the value is too long");
        strcpy(field, value);
    }
    if (number == 0) return Problem(problem, problemSize, 321, path, 0, "the file is empty");
    if (entry->prog_id[0] == '\0') return Problem(problem, problemSize, 321, path, 0, "the entry has no ProgID");
    if (entry->library[0] != '/') {
        return Problem(problem, problemSize, 321, path, 0, "the entry's Library is not an absolute path");
    }
    return 0;
}

/* Opens the entry without following a link at its name and without waiting on a FIFO, and checks
   that it and its folders are trusted. Returns the descriptor, or -1 with *status set. */
static int OpenTrustedEntry(const char* path, struct stat* info, int32_t* status, char* problem,
                            size_t problemSize) {
    char reason[PATH_MAX + 256];
    struct stat named;
    if (lstat(path, &named) != 0) {
        int missing = errno == ENOENT || errno == ENOTDIR;
        *status = Problem(problem, problemSize, missing ? 53 : 57, path, 0, strerror(errno));
        return -1;
    }
    /* The kind is told from lstat, before opening: opening a device may already do something. */
    if (orva_registry_check_entry_file(&named, reason, sizeof reason) != 0) {
        *status = Untrusted(problem, problemSize, path, reason);
        return -1;
    }
    char folder[PATH_MAX];
    orva_registry_folder_of(path, folder, sizeof folder);
    if (orva_registry_check_folders(folder, "the folder", reason, sizeof reason) != 0) {
        *status = Untrusted(problem, problemSize, path, reason);
        return -1;
    }
    int descriptor = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        int missing = errno == ENOENT || errno == ENOTDIR;
        *status = Problem(problem, problemSize, missing ? 53 : 57, path, 0, strerror(errno));
        return -1;
    }
    /* Checked again on what was opened: the name may have been replaced since lstat. */
    if (fstat(descriptor, info) != 0 || info->st_dev != named.st_dev || info->st_ino != named.st_ino ||
        orva_registry_check_entry_file(info, reason, sizeof reason) != 0) {
        close(descriptor);
        *status = Untrusted(problem, problemSize, path, "the entry changed while it was read");
        return -1;
    }
    return descriptor;
}

int32_t orva_registry_read_entry(const char* path, orva_registry_entry* entry, char* problem, size_t problemSize) {
    memset(entry, 0, sizeof *entry);
    struct stat info;
    int32_t status = 0;
    int descriptor = OpenTrustedEntry(path, &info, &status, problem, problemSize);
    if (descriptor < 0) return status;
    if (info.st_size > ORVA_REGISTRY_MAX_ENTRY_SIZE) {
        close(descriptor);
        char what[96];
        snprintf(what, sizeof what, "the file is larger than %d bytes", ORVA_REGISTRY_MAX_ENTRY_SIZE);
        return Problem(problem, problemSize, 321, path, 0, what);
    }
    /* Read up to one byte past the bound: a file that grew meanwhile is still refused. */
    char* text = malloc(ORVA_REGISTRY_MAX_ENTRY_SIZE + 2);
    if (text == NULL) {
        close(descriptor);
        return Problem(problem, problemSize, 7, path, 0, "out of memory");
    }
    size_t used = 0;
    while (used <= ORVA_REGISTRY_MAX_ENTRY_SIZE) {
        ssize_t got = read(descriptor, text + used, ORVA_REGISTRY_MAX_ENTRY_SIZE + 1 - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) status = Problem(problem, problemSize, 57, path, 0, strerror(errno));
        if (got <= 0) break;
        used += (size_t)got;
    }
    close(descriptor);
    text[used] = '\0';
    if (status == 0 && used > ORVA_REGISTRY_MAX_ENTRY_SIZE) {
        char what[96];
        snprintf(what, sizeof what, "the file is larger than %d bytes", ORVA_REGISTRY_MAX_ENTRY_SIZE);
        status = Problem(problem, problemSize, 321, path, 0, what);
    }
    if (status == 0 && memchr(text, '\0', used) != NULL) {
        status = Problem(problem, problemSize, 321, path, 0, "the file holds a NUL byte");
    }
    if (status == 0) status = ParseEntry(text, path, entry, problem, problemSize);
    free(text);
    if (status != 0) memset(entry, 0, sizeof *entry);
    return status;
}

/* Appends folder (and suffix) as one NUL-terminated path; 0 when it does not fit. */
static int Append(char* out, size_t outSize, size_t* used, const char* folder, const char* suffix) {
    size_t needed = strlen(folder) + strlen(suffix) + 1;
    if (*used + needed + 1 > outSize) return 0;
    strcpy(out + *used, folder);
    strcat(out + *used, suffix);
    *used += needed;
    out[*used] = '\0';
    return 1;
}

int orva_registry_search_folders(char* out, size_t outSize) {
    size_t used = 0;
    if (outSize == 0) return 0;
    out[0] = '\0';
    const char* chosen = getenv(ORVA_REGISTRY_ENVIRONMENT);
    if (chosen != NULL && chosen[0] != '\0') return Append(out, outSize, &used, chosen, "") ? 1 : 0;
    int count = 0;
    const char* dataHome = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    /* A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say. */
    if (dataHome != NULL && dataHome[0] == '/') {
        if (!Append(out, outSize, &used, dataHome, "/orva/registry")) return 0;
        ++count;
    } else if (home != NULL && home[0] == '/') {
        if (!Append(out, outSize, &used, home, "/.local/share/orva/registry")) return 0;
        ++count;
    }
    if (!Append(out, outSize, &used, ORVA_REGISTRY_SYSTEM_FOLDER, "")) return 0;
    return count + 1;
}
