/* Variants and errors of the C interface: memory from malloc, freed here. The same code is built into
   the loader (exported) and into the library (hidden), so both sides free what either allocated. */
#include <stdlib.h>
#include <string.h>

#include "capi/orva_server_abi.h"

void orva_variant_init(orva_variant* v) {
    memset(v, 0, sizeof *v);
    v->type = ORVA_VT_EMPTY;
}

/* Frees what a variant that is not an array holds. A handle without the live mark is left alone: it
   was released before, or never was a handle. */
static void ClearValue(orva_variant* v) {
    if (v->type == ORVA_VT_TEXT) {
        free(v->value.text.data);
    } else if (v->type == ORVA_VT_OBJECT && orva_handle_live(v->value.object)) {
        v->value.object->functions->release(v->value.object);
    }
}

/* Arrays are freed without recursion, so that no depth of nesting exhausts the stack, and without
   memory of its own, so that clearing cannot fail: going down into a nested array, the slot that held
   it keeps the way back up (the slot above it in items, its own index in count, its array's count in
   lower_bound); coming back up, the slot gives them back. */
void orva_variant_clear(orva_variant* v) {
    if (v == NULL) return;
    if (v->type != ORVA_VT_ARRAY) {
        ClearValue(v);
        orva_variant_init(v);
        return;
    }
    orva_variant* items = v->value.array.items;
    int32_t count = v->value.array.count;
    int32_t index = 0;
    orva_variant* up = NULL; /* the slot that held items; NULL for the variant itself */
    orva_variant_init(v);
    for (;;) {
        if (index < count) {
            orva_variant* item = &items[index];
            if (item->type != ORVA_VT_ARRAY) {
                ClearValue(item);
                ++index;
                continue;
            }
            orva_variant* nested = item->value.array.items;
            int32_t nestedCount = item->value.array.count;
            item->value.array.items = up;
            item->value.array.count = index;
            item->value.array.lower_bound = count;
            up = item;
            items = nested;
            count = nestedCount;
            index = 0;
            continue;
        }
        free(items);
        if (up == NULL) return;
        orva_variant* slot = up;
        index = slot->value.array.count;
        count = slot->value.array.lower_bound;
        up = slot->value.array.items;
        items = slot - index;
        ++index;
    }
}

/* depth: the number of arrays around source. */
static int32_t CopyAt(orva_variant* target, const orva_variant* source, int depth) {
    orva_variant_clear(target);
    switch (source->type) {
        case ORVA_VT_TEXT:
            return orva_variant_set_text_n(target, source->value.text.data, source->value.text.length);
        case ORVA_VT_OBJECT: {
            orva_object* copy = NULL;
            if (source->value.object != NULL) {
                if (!orva_handle_live(source->value.object)) return 91;
                copy = source->value.object->functions->duplicate(source->value.object);
                if (copy == NULL) return 7;
            }
            orva_variant_set_object(target, copy);
            return 0;
        }
        case ORVA_VT_ARRAY: {
            if (depth >= ORVA_MAX_ARRAY_DEPTH) return 5;
            int32_t status =
                orva_variant_set_array(target, source->value.array.count, source->value.array.lower_bound);
            for (int32_t i = 0; status == 0 && i < source->value.array.count; ++i) {
                status = CopyAt(&target->value.array.items[i], &source->value.array.items[i], depth + 1);
            }
            if (status != 0) orva_variant_clear(target);
            return status;
        }
        default:
            *target = *source;
            return 0;
    }
}

int32_t orva_variant_copy(orva_variant* target, const orva_variant* source) {
    if (target == source) return 0;
    return CopyAt(target, source, 0);
}

void orva_variant_set_null(orva_variant* v) {
    orva_variant_clear(v);
    v->type = ORVA_VT_NULL;
}

void orva_variant_set_bool(orva_variant* v, int value) {
    orva_variant_clear(v);
    v->type = ORVA_VT_BOOL;
    v->value.boolean = value != 0;
}

void orva_variant_set_int16(orva_variant* v, int16_t value) {
    orva_variant_clear(v);
    v->type = ORVA_VT_INT16;
    v->value.int16 = value;
}

void orva_variant_set_int32(orva_variant* v, int32_t value) {
    orva_variant_clear(v);
    v->type = ORVA_VT_INT32;
    v->value.int32 = value;
}

void orva_variant_set_double(orva_variant* v, double value) {
    orva_variant_clear(v);
    v->type = ORVA_VT_DOUBLE;
    v->value.real = value;
}

int32_t orva_variant_set_text_n(orva_variant* v, const char* utf8, size_t length) {
    orva_variant_clear(v);
    char* data = malloc(length + 1);
    if (data == NULL) return 7;
    if (length > 0) memcpy(data, utf8, length);
    data[length] = '\0';
    v->type = ORVA_VT_TEXT;
    v->value.text.data = data;
    v->value.text.length = length;
    return 0;
}

int32_t orva_variant_set_text(orva_variant* v, const char* utf8) {
    return orva_variant_set_text_n(v, utf8 ? utf8 : "", utf8 ? strlen(utf8) : 0);
}

void orva_variant_set_object(orva_variant* v, orva_object* object) {
    orva_variant_clear(v);
    v->type = ORVA_VT_OBJECT;
    v->value.object = object;
}

int32_t orva_variant_set_array(orva_variant* v, int32_t count, int32_t lowerBound) {
    orva_variant_clear(v);
    if (count < 0) return 5;
    orva_variant* items = calloc(count > 0 ? (size_t)count : 1, sizeof *items);
    if (items == NULL) return 7;
    for (int32_t i = 0; i < count; ++i) orva_variant_init(&items[i]);
    v->type = ORVA_VT_ARRAY;
    v->value.array.items = items;
    v->value.array.count = count;
    v->value.array.lower_bound = lowerBound;
    return 0;
}

void orva_error_clear(orva_error* error) {
    if (error == NULL) return;
    free(error->description);
    free(error->source);
    error->number = 0;
    error->description = NULL;
    error->source = NULL;
}
