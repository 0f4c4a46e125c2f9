/* Reading the registry of in-process servers (docs/registry.md): where it lies and what an entry
   holds. Built into the loader and, hidden, into the library, which lists and removes entries. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

/* The field of entry that key names, with its size; NULL for keys this version does not know, which
   are skipped so that later versions may add keys. */
static char* FieldOf(orva_registry_entry* entry, const char* key, size_t* size) {
#define ORVA_FIELD(name, member)                    \
    if (strcmp(key, name) == 0) {                   \
        *size = sizeof entry->member;               \
        return entry->member;                       \
    }
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

int32_t orva_registry_read_entry(const char* path, orva_registry_entry* entry, char* problem, size_t problemSize) {
    memset(entry, 0, sizeof *entry);
    FILE* file = fopen(path, "r");
    if (file == NULL) {
        int missing = errno == ENOENT || errno == ENOTDIR;
        return Problem(problem, problemSize, missing ? 53 : 57, path, 0, strerror(errno));
    }
    char line[ORVA_REGISTRY_MAX_VALUE + 256];
    int number = 0;
    int32_t status = 0;
    while (status == 0 && fgets(line, sizeof line, file) != NULL) {
        ++number;
        size_t length = strlen(line);
        if (length > 0 && line[length - 1] == '\n') {
            line[--length] = '\0';
        } else if (!feof(file)) {
            status = Problem(problem, problemSize, 321, path, number, "the line is too long");
            break;
        }
        if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
        if (number == 1) {
            if (strncmp(line, ORVA_REGISTRY_FORMAT_NAME, strlen(ORVA_REGISTRY_FORMAT_NAME)) != 0) {
                status = Problem(problem, problemSize, 321, path, 1,
                                 "not a registry entry (the first line must be \"" ORVA_REGISTRY_FORMAT_LINE "\")");
            } else if (strcmp(line, ORVA_REGISTRY_FORMAT_LINE) != 0) {
                status = Problem(problem, problemSize, 321, path, 1,
                                 "a registry entry of another format version than " ORVA_REGISTRY_FORMAT_LINE);
            }
            continue;
        }
        if (length == 0 || line[0] == '#') continue;
        char* equals = strchr(line, '=');
        if (equals == NULL) {
            status = Problem(problem, problemSize, 321, path, number, "a line without \"=\"");
            break;
        }
        *equals = '\0';
        size_t size = 0;
        char* field = FieldOf(entry, line, &size);
        if (field == NULL) continue;
        if (strlen(equals + 1) >= size) {
            status = Problem(problem, problemSize, 321, path, number, "the value is too long");
            break;
        }
        strcpy(field, equals + 1);
    }
    if (status == 0 && ferror(file)) status = Problem(problem, problemSize, 57, path, 0, "read error");
    fclose(file);
    if (status == 0 && number == 0) status = Problem(problem, problemSize, 321, path, 0, "the file is empty");
    if (status == 0 && entry->prog_id[0] == '\0') {
        status = Problem(problem, problemSize, 321, path, 0, "the entry has no ProgID");
    }
    if (status == 0 && entry->library[0] != '/') {
        status = Problem(problem, problemSize, 321, path, 0, "the entry's Library is not an absolute path");
    }
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
