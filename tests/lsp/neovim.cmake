# Debian's Neovim with its built-in LSP client against zabrel-lsp. It starts the server
# as a program of its own, so it runs under the sanitizers too. Skipped (77) without
# Neovim, except in CI.
find_program(NVIM_EXECUTABLE nvim)
add_executable(nvim_tests ${CMAKE_CURRENT_LIST_DIR}/nvim_test.cpp ${PROJECT_SOURCE_DIR}/tests/cli/subprocess.cpp
                          ${PROJECT_SOURCE_DIR}/tests/cli/testdictionary.cpp)
target_link_libraries(nvim_tests PRIVATE zabrel_test_support GTest::gtest)
target_compile_definitions(nvim_tests PRIVATE
  ZABREL_LSP_PROGRAM="$<TARGET_FILE:zabrel-lsp>"
  ZABREL_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  NVIM_PROGRAM="$<$<BOOL:${NVIM_EXECUTABLE}>:${NVIM_EXECUTABLE}>")
add_dependencies(nvim_tests zabrel-lsp)
zabrel_warnings(nvim_tests)
add_test(NAME nvim COMMAND nvim_tests)
set_tests_properties(nvim PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
