/*
 * orva_automation.h: the C interface through which a host program creates the classes of
 * libOrvaClassDeploy by program ID and calls their members by name, without linking the library.
 *
 * The host links the loader libOrvaLoader.so (-lOrvaLoader, or pkg-config orva-loader), which reads
 * the registry of in-process servers (registry.md), loads the library registered for a program ID
 * with dlopen and forwards every call to it. Plain C99; no C++ types cross this boundary.
 *
 * host-api.md, installed with the documentation (/usr/share/doc/orva-class-deploy/ or
 * <prefix>/share/doc/orva-class-deploy/), is the reference of every member a host may call: the
 * arguments of clsDeploywizard, clsPromulgator and the property-bag classes, what they write back,
 * their results and errors, and worked examples in C, Python and C++ (examples/ beside it).
 *
 *     orva_object* wizard = NULL;
 *     orva_error error = ORVA_ERROR_INIT;
 *     if (orva_create_object("OrvaClassDeploy.clsDeploywizard", &wizard, &error) != 0) {
 *         fprintf(stderr, "%s (%d)\n", error.description, error.number);
 *         orva_error_clear(&error);
 *     }
 *
 * Ownership
 *   - A variant owns what it holds: its text, its array's items, its object handle. Give it contents
 *     only through the orva_variant_set_* functions (they copy texts and arrays into memory of the
 *     loader's own) and empty it with orva_variant_clear, which frees the text and the array and
 *     releases the handle. Never put a pointer to memory of your own into a variant: a call may write
 *     back into an argument, and the old value is then cleared.
 *   - orva_invoke's result and orva_create_object's object belong to the caller from then on.
 *   - An error's texts belong to the error; orva_error_clear frees them. A call that fails clears the
 *     error it is given before filling it, so one error may be reused for many calls.
 *   - An object handle is one reference to an object: orva_release drops it. The object lives while
 *     any handle (or the library itself) holds it. orva_variant_copy of an object variant makes a new
 *     handle to the same object.
 *   - A loaded library stays loaded until the process ends: objects and per-thread state may still
 *     refer to it.
 *
 * Handles that are not (or no longer) handles
 *   Every handle carries a mark that the library clears when the handle is released, and the library
 *   never gives a handle's memory back. So a released handle passed again, released again or copied
 *   fails safely: orva_invoke, orva_create_object_beside and orva_publish_property return 91, and as an
 *   argument it is refused with 91 naming the argument; orva_release and orva_variant_clear do nothing
 *   with it; orva_variant_copy returns 91. The same holds for a pointer to readable memory of the
 *   host's own that is not a handle. What remains undefined: a pointer to memory that cannot be read
 *   (the process faults when the mark is read); a handle released long ago, whose slot was given to a
 *   new handle after thousands of later releases (it then reaches that new object); and two threads
 *   releasing, or using and releasing, the same handle at the same moment.
 *
 * Texts that reach the operating system
 *   A text may hold NUL characters (length counts them): as data (dictionary keys and values, names,
 *   class parameters, the Language property) it is kept whole. A text the library hands to the
 *   system would end at the first NUL, so a NUL in one of these is refused with error 5 (the
 *   description ends in "holds a NUL character") before anything is read or written:
 *     - clsDeploywizard.DeployToFile's strPath and DeployToLumoMain's strFile (raised by the call
 *       itself, not reported in the message list);
 *     - the file name of Nexo.Dictionary's Save and Load;
 *     - the ConnectString inside the PropsString property, when the library opens the account (the
 *       value is not repeated: it may hold a password).
 *   Member names, program IDs and property names are C strings: they end at their NUL by definition.
 *
 * Nested arrays
 *   The library takes arrays nested at most ORVA_MAX_ARRAY_DEPTH levels deep (an array of scalars is
 *   one level); a deeper argument or property value is refused with 5 naming the argument and the
 *   limit, before the call runs. orva_variant_copy refuses the same with 5. orva_variant_clear frees
 *   arrays of any depth without recursion and without allocating.
 *
 * Arguments and by-reference write-back
 *   Arguments are passed by reference, as late-bound calls pass them: when a member changes one of
 *   its arguments (DeployToLumoMain creating the message list it was not given, for example), the
 *   caller's args[i] is cleared and receives the new value. Arguments the member leaves as they were
 *   are left untouched, handles included. For a property let or set, the value is the last argument.
 *
 * Errors
 *   Every function that can fail returns 0 on success and the error number otherwise, and fills
 *   *error (when not NULL) with the number, the description and the source exactly as the library
 *   raised them (texts in UTF-8; the source may be empty). The numbers are those of automation
 *   callers: 5 invalid call or argument, 13 type mismatch, 91 object not set, 429 the object cannot be
 *   created (unknown program ID, missing or unloadable library), 438 no such member, 450 wrong number
 *   of arguments, ...
 *
 * Threads
 *   The library keeps its module state per thread: the current language and the text components are
 *   learned by the first call on a thread and kept for that thread. Publishing Language or PropsString
 *   makes the publishing thread learn them anew; another thread that runs for a new login (a worker
 *   of a pool, say) calls orva_reset_thread_state() first. An object may be called from any
 *   thread, but not from two threads at once. The host's login properties (orva_publish_property)
 *   are process-wide. Dialogs (ShowWizard, Promugate, PromugateReport) open only on the thread that
 *   runs the host's QApplication, or, when the host has none, on the first thread that opens a
 *   dialog (the library then creates its own); they block that thread until the user closes them.
 *   Headless members (DeployToFile, DeployToLumoMain) need no display.
 */
#ifndef ORVA_AUTOMATION_H
#define ORVA_AUTOMATION_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ORVA_API marks the functions the loader exports. */
#if defined(ORVA_AUTOMATION_INTERNAL)
#define ORVA_API
#else
#define ORVA_API __attribute__((visibility("default")))
#endif

/* The version of this interface's binary layout. A library and a loader of different versions refuse
   to work together (error 429 at creation). Hosts built for an earlier version keep working with a
   later loader: versions only add functions. 3 added orva_reset_thread_state. */
#define ORVA_AUTOMATION_ABI_VERSION 3

/* An object created by the library: opaque to the host. */
typedef struct orva_object orva_object;

typedef enum orva_variant_type {
    ORVA_VT_EMPTY = 0,  /* no value (an omitted optional argument) */
    ORVA_VT_NULL = 1,   /* the null value */
    ORVA_VT_BOOL = 2,
    ORVA_VT_INT16 = 3,
    ORVA_VT_INT32 = 4,
    ORVA_VT_DOUBLE = 5,
    ORVA_VT_TEXT = 6,   /* UTF-8 */
    ORVA_VT_OBJECT = 7, /* an object handle; NULL is "nothing" */
    ORVA_VT_ARRAY = 8   /* an array of variants */
} orva_variant_type;

typedef struct orva_variant orva_variant;

struct orva_variant {
    int32_t type; /* an orva_variant_type */
    union {
        int32_t boolean; /* 0 false, anything else true */
        int16_t int16;
        int32_t int32;
        double real;
        struct {
            char* data;    /* UTF-8, terminated by a NUL byte */
            size_t length; /* bytes before the terminating NUL (the text may hold NUL itself) */
        } text;
        orva_object* object;
        struct {
            orva_variant* items;
            int32_t count;
            int32_t lower_bound; /* the index of items[0] as the library sees it (0 usually) */
        } array;
    } value;
};

/* The deepest nesting of arrays the library takes. */
#define ORVA_MAX_ARRAY_DEPTH 64

/* A variant initialised as empty. */
#define ORVA_VARIANT_INIT {ORVA_VT_EMPTY, {0}}

typedef struct orva_error {
    int32_t number;    /* 0 when there is no error */
    char* description; /* UTF-8, or NULL */
    char* source;      /* UTF-8, or NULL */
} orva_error;

#define ORVA_ERROR_INIT {0, NULL, NULL}

/* How a member is reached. */
typedef enum orva_call_kind {
    ORVA_CALL_METHOD = 0,
    ORVA_CALL_PROPERTY_GET = 1,
    ORVA_CALL_PROPERTY_LET = 2, /* assign a value */
    ORVA_CALL_PROPERTY_SET = 3  /* assign an object reference */
} orva_call_kind;

/* --- variants ---------------------------------------------------------------------------------- */

/* Makes *v empty without looking at what it held (for fresh, uninitialised variants). */
ORVA_API void orva_variant_init(orva_variant* v);
/* Frees what *v holds (text, array items at any depth) and releases its handle, unless the handle was
   released before; *v becomes empty. Never fails. */
ORVA_API void orva_variant_clear(orva_variant* v);
/* Makes *target a deep copy of *source (texts and arrays copied, a new handle for an object) after
   clearing *target. Returns 0; 7 when memory runs out, 5 for arrays nested deeper than
   ORVA_MAX_ARRAY_DEPTH, 91 for a released handle inside *source; *target is then empty. */
ORVA_API int32_t orva_variant_copy(orva_variant* target, const orva_variant* source);

/* Each clears *v, then stores the value. The text functions copy the text; they return 0, or 7 when
   memory runs out (leaving *v empty). orva_variant_set_object takes over the handle (it does not
   make a new one); pass NULL for nothing. */
ORVA_API void orva_variant_set_null(orva_variant* v);
ORVA_API void orva_variant_set_bool(orva_variant* v, int value);
ORVA_API void orva_variant_set_int16(orva_variant* v, int16_t value);
ORVA_API void orva_variant_set_int32(orva_variant* v, int32_t value);
ORVA_API void orva_variant_set_double(orva_variant* v, double value);
ORVA_API int32_t orva_variant_set_text(orva_variant* v, const char* utf8);
ORVA_API int32_t orva_variant_set_text_n(orva_variant* v, const char* utf8, size_t length);
ORVA_API void orva_variant_set_object(orva_variant* v, orva_object* object);
/* An array of count empty items with the given lower bound; fill v->value.array.items[i] with the
   set functions. Returns 0, 5 for a negative count, or 7. */
ORVA_API int32_t orva_variant_set_array(orva_variant* v, int32_t count, int32_t lowerBound);

/* Frees the error's texts and sets its number to 0. */
ORVA_API void orva_error_clear(orva_error* error);

/* --- objects ----------------------------------------------------------------------------------- */

/* Creates an object of the class registered under progId (letter case does not matter) and stores a
   new handle in *object. The registry is searched as docs/registry.md says (ORVA_REGISTRY alone when
   it is set, else the user's folder, then the system's). Fails with 429 naming the program ID when no
   entry exists, when the entry is not readable, when the library it names is missing (the entry is
   reported, never followed elsewhere) or cannot be loaded, or when the library was built for another
   interface version; with 5 for a progId that is not a program ID (empty, or characters other than
   letters, digits, ".", "_", "-"); and with what the class raises while it is created. */
ORVA_API int32_t orva_create_object(const char* progId, orva_object** object, orva_error* error);

/* Creates an object of a class that the library serving neighbour (any object of it) provides
   itself, by program ID, without the registry: the property-bag classes that members take and
   return ("Nexo.Dictionary", "Nexo.Vector"), for example a vector of chosen types for ShowWizard or
   a dictionary of deployment information. Fails with 91 for a NULL neighbour, 429 naming an unknown
   program ID, and what the class raises while it is created. */
ORVA_API int32_t orva_create_object_beside(orva_object* neighbour, const char* progId, orva_object** object,
                                          orva_error* error);

/* Calls the member `name` (UTF-8; letter case does not matter; "" is the default member) of object
   as kind (an orva_call_kind; 5 for another value) says, with argCount arguments (args may be NULL when argCount is 0), and stores the result
   in *result (cleared first; may be NULL to drop the result). Changed arguments are written back
   (see above). Raises 91 for a NULL or released object, 5 for a text argument that is not valid
   UTF-8, an array nested too deeply or a negative argCount, 13 for an object handle of another
   library, and whatever the member raises (5 for a NUL in a text that names a file, see above). */
ORVA_API int32_t orva_invoke(orva_object* object, const char* name, int32_t kind, orva_variant* args,
                             int32_t argCount, orva_variant* result, orva_error* error);

/* Drops the handle. NULL and a handle released before are allowed and do nothing. */
ORVA_API void orva_release(orva_object* object);

/* Publishes a login property of the host for this process in the library that serves object (any
   object of it): "Language" and "PropsString", which the library reads as a host's login, e.g.
       Language     "EN"
       PropsString  "Language=EN;ConnectString=sqlite:/srv/orva/account.db;"
   Language takes the text CHS, CHT or EN (letter case does not matter). Publishing one of these two
   also makes the calling thread learn its language anew. Returns 0, or 91, 5 (text not UTF-8; a
   Language that is not one of the three texts, naming the value; nothing is published then), 13. */
ORVA_API int32_t orva_publish_property(orva_object* object, const char* name, const orva_variant* value,
                                       orva_error* error);

/* Makes the calling thread forget the module state of every library the loader has loaded: the
   current language and the text components are learned again, from the published properties, by the
   thread's next call (see Threads above). For a thread that served one login and now serves another.
   Objects and published properties are not touched. Never fails; does nothing before the first
   orva_create_object. Since ORVA_AUTOMATION_ABI_VERSION 3. */
ORVA_API void orva_reset_thread_state(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVA_AUTOMATION_H */
