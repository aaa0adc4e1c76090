// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "core/errors.h"

using namespace zabrel;

TEST(errors_test, full_message_has_hex_code_location_and_message) {
    EXPECT_EQ(QuelmException("x", 7, 0x20, "m").getFullMessage(), "Error Code (0x20) in x (7): m");
    EXPECT_EQ(QuelmException("f", -3, 0, "").getFullMessage(), "Error Code (0x0) in f (-3): ");
    EXPECT_EQ(IOException("configmanager", 23, ERR_FILE_OPEN,
                          "Could not open file: config.ini. Config file not opened sucessfully.")
                  .getFullMessage(),
              "Error Code (0x10) in configmanager (23): Could not open file: config.ini. Config file not "
              "opened sucessfully.");
    EXPECT_EQ(QuelmException("a", 1, 0xab, "z").getFullMessage(), "Error Code (0xab) in a (1): z");
}

TEST(errors_test, annotate_keeps_class_and_code_and_appends_context) {
    try {
        try {
            throw IOException("reader", 10, ERR_FILE_READ, "End of file encountered.");
        } catch (IOException& ex) {
            annotate(ex, "handler", 42, " Config file reading problem occurred.");
            throw;
        }
    } catch (const IOException& ex) {
        EXPECT_EQ(ex.getFileName(), "handler");
        EXPECT_EQ(ex.getLineNumber(), 42);
        EXPECT_EQ(ex.getErrorCode(), ERR_FILE_READ);
        EXPECT_EQ(ex.getMessage(), "End of file encountered. Config file reading problem occurred.");
        return;
    }
    FAIL() << "the annotated IOException did not arrive";
}

TEST(errors_test, every_failure_tells_the_user_the_same_way_and_the_library_says_zabrel_once) {
    const auto told = [](auto raise) {
        try {
            raise();
        } catch (...) {
            return currentFailure();
        }
        return std::string("nothing raised");
    };
    // The engine's own words, never where in our source they were raised.
    EXPECT_EQ(told([] { throw IOException("reader.cpp", 10, ERR_FILE_READ, "End of file encountered."); }),
              "End of file encountered.");
    EXPECT_EQ(told([] { throw std::bad_alloc(); }), "out of memory");
    EXPECT_EQ(told([] { throw std::runtime_error("a plain sentence"); }), "a plain sentence");
    EXPECT_EQ(told([] { throw 42; }), "unknown error");

    EXPECT_EQ(libraryMessage("out of memory"), "zabrel: out of memory");
    EXPECT_EQ(libraryMessage("zabrel: no text given"), "zabrel: no text given");
    EXPECT_EQ(plainMessage("zabrel: no text given"), "no text given");
    EXPECT_EQ(plainMessage(libraryMessage("out of memory")), "out of memory");
}
