/* SPDX-License-Identifier: MIT */
/* A C program's use of the library, compiled as C: the header must be C, and what it
 * hands out is freed the way it says. */
#include <stdio.h>
#include <string.h>

#include "zabrel/zabrel_c.h"

int c_client_first_suggestion(const char* folder, const char* word, char* first, size_t size) {
    char* error = NULL;
    zabrel_dictionary* urdu = zabrel_open(folder, &error);
    if (urdu == NULL) {
        snprintf(first, size, "open: %s", error != NULL ? error : "?");
        zabrel_string_free(error);
        return -1;
    }
    int result = zabrel_check(urdu, word, strlen(word));
    if (result == 0) {
        size_t count = 0;
        char** suggestions = zabrel_suggest(urdu, word, strlen(word), &count);
        if (suggestions == NULL)
            result = -1;
        else if (count > 0)
            snprintf(first, size, "%s", suggestions[0]);
        zabrel_list_free(suggestions);
    }
    zabrel_close(urdu);
    return result;
}
