/* SPDX-License-Identifier: MIT */
/* Zabrel, an Urdu spell checker: the library as C, for Python (ctypes), Rust, Go and
 * any other language that calls C.
 *
 *     char* error = NULL;
 *     zabrel_dictionary* urdu = zabrel_open_default(&error);
 *     if (urdu == NULL) { fprintf(stderr, "%s\n", error); zabrel_string_free(error); }
 *     else if (zabrel_check(urdu, word, strlen(word)) == 0) {
 *         size_t n = 0;
 *         char** suggestions = zabrel_suggest(urdu, word, strlen(word), &n);
 *         ...
 *         zabrel_list_free(suggestions);
 *     }
 *     zabrel_close(urdu);
 *
 * Words are UTF-8, given with their length in bytes (they need no terminating NUL).
 * No call raises or aborts: a failure is a return value (-1 or NULL), and
 * zabrel_error() then says what went wrong on that dictionary. Strings and lists the
 * library returns belong to the caller, who frees them with zabrel_string_free and
 * zabrel_list_free.
 *
 * Threads: one dictionary may be used from several threads at once. Checks and
 * suggestions run side by side; the calls that change it (ranking, personal list,
 * session words) wait until the checks under way are done. Separate dictionaries
 * share nothing.
 */
#ifndef ZABREL_ZABREL_C_H
#define ZABREL_ZABREL_C_H

#include <stddef.h>

#define ZABREL_C_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

typedef struct zabrel_dictionary zabrel_dictionary;

/* How suggestions are ordered, as in zabrel::Dictionary::Ranking. */
/* Context ranks by the neighbouring words too, which only zabrel_check_text knows;
 * for a word alone it is the accurate ranking. A dictionary opens with CONTEXT when
 * its folder has a context model, else ACCURATE; EXACT is the engine's own order. */
typedef enum zabrel_ranking {
    ZABREL_RANKING_EXACT = 0,
    ZABREL_RANKING_ACCURATE = 1,
    ZABREL_RANKING_CONTEXT = 2
} zabrel_ranking;

/* One misspelt word of a text: where it stands, in bytes of the UTF-8 text, and its
 * suggestions, best first (a list as from zabrel_suggest, `count` long). */
typedef struct zabrel_misspelling {
    size_t offset;
    size_t length;
    char** suggestions;
    size_t count;
} zabrel_misspelling;

/* Opens the dictionary folder at `folder` (its config.ini and the files it names). On
 * failure returns NULL and, when `error` is not NULL, sets *error to a message the
 * caller frees with zabrel_string_free (NULL when even that could not be made). */
ZABREL_C_API zabrel_dictionary* zabrel_open(const char* folder, char** error);
/* The user's copy of the installed Urdu dictionary with the user's personal word
 * list, as zabrel-check and the dialog use them. Failures as for zabrel_open. */
ZABREL_C_API zabrel_dictionary* zabrel_open_default(char** error);
/* Frees the dictionary; NULL is allowed. */
ZABREL_C_API void zabrel_close(zabrel_dictionary* dictionary);

/* 1 when the word is correct (a word with no Urdu letter counts as correct), 0 when it
 * is misspelt, -1 on error (invalid UTF-8, a NULL argument, ...). */
ZABREL_C_API int zabrel_check(zabrel_dictionary* dictionary, const char* word, size_t length);
/* Suggestions for a misspelt word, best first, as a NULL-terminated array of
 * NUL-terminated UTF-8 strings; *count (when `count` is not NULL) is their number. A
 * correct word has an empty list, so NULL means an error. Free with zabrel_list_free. */
ZABREL_C_API char** zabrel_suggest(zabrel_dictionary* dictionary, const char* word, size_t length,
                                   size_t* count);

/* The misspelt words of a UTF-8 text (a line or a whole text), in order: an array of
 * *count entries, empty (but not NULL) when there are none, NULL on error. With the
 * context ranking their suggestions are ranked by their neighbours. Free it with
 * zabrel_misspellings_free. */
ZABREL_C_API zabrel_misspelling* zabrel_check_text(zabrel_dictionary* dictionary, const char* text,
                                                   size_t length, size_t* count);
ZABREL_C_API void zabrel_misspellings_free(zabrel_misspelling* misspellings, size_t count);

/* What zabrel_check_text_each hands each misspelt word to, in order. The misspelling
 * and its strings are the library's and last until the callback returns (copy what
 * you keep). Return 0 to go on, anything else to stop. */
typedef int (*zabrel_misspelling_callback)(const zabrel_misspelling* misspelling, void* context);
/* Checks `text` as zabrel_check_text does, but hands each misspelt word to `callback`
 * (with `context`) as it is found instead of collecting them all: memory stays that
 * of a few words, whatever the text's length. Returns 0 when the whole text was
 * checked, 1 when the callback stopped the walk, -1 on error. The callback may check
 * and suggest with this dictionary; a call from it that would change the dictionary
 * fails with -1. */
ZABREL_C_API int zabrel_check_text_each(zabrel_dictionary* dictionary, const char* text, size_t length,
                                        zabrel_misspelling_callback callback, void* context);

/* These return 0, or -1 on error. `ranking` is one of zabrel_ranking. */
ZABREL_C_API int zabrel_set_ranking(zabrel_dictionary* dictionary, int ranking);
/* NULL or "" chooses the shared default list; otherwise the file at `path`. */
ZABREL_C_API int zabrel_use_personal_list(zabrel_dictionary* dictionary, const char* path);
/* Saved at once to the personal list (the default one unless another was chosen). */
ZABREL_C_API int zabrel_add_personal(zabrel_dictionary* dictionary, const char* word, size_t length);
ZABREL_C_API int zabrel_remove_personal(zabrel_dictionary* dictionary, const char* word, size_t length);
/* Accepted until the dictionary is closed; never saved. */
ZABREL_C_API int zabrel_add_session(zabrel_dictionary* dictionary, const char* word, size_t length);

/* What was skipped or repaired on the way, one sentence each, taken from the
 * dictionary (a second call does not repeat them); a list as from zabrel_suggest. */
ZABREL_C_API char** zabrel_warnings(zabrel_dictionary* dictionary, size_t* count);

/* Why the last failed call on this dictionary failed; "" after a call that succeeded.
 * The text stays valid in the calling thread until its next zabrel_error call. With
 * several threads on one dictionary it is the latest failure of any of them. */
ZABREL_C_API const char* zabrel_error(const zabrel_dictionary* dictionary);

/* The folder the dictionary was opened from, valid until it is closed (NULL for a NULL
 * dictionary). */
ZABREL_C_API const char* zabrel_folder(const zabrel_dictionary* dictionary);
ZABREL_C_API const char* zabrel_version(void);

/* Free what the library returned; NULL is allowed. */
ZABREL_C_API void zabrel_string_free(char* text);
ZABREL_C_API void zabrel_list_free(char** list);

#ifdef __cplusplus
}
#endif

#endif
