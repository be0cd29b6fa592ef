# Modules that include no Windows header: they build with the host compiler too,
# so their tests also run natively under the sanitizers and the fuzzers reach them.
set(PURE_SOURCES
    src/engine/text_lines.cpp
    src/driver/pack_info.cpp
    src/lang/language_list.cpp
    src/lang/catalogue.cpp
    src/driver/target_paths.cpp
    src/discovery/path_time.cpp
    src/discovery/version_match.cpp
    src/engine/uninstall_merge.cpp
    src/engine/script_safety.cpp
)
# Tests (and test-only helpers such as reference implementations) that need no Windows header.
set(PURE_TESTS
    tests/engine/text_lines_test.cpp
    tests/driver/target_paths_test.cpp
    tests/discovery/version_match_test.cpp
    tests/lang/catalogue_test.cpp
    tests/driver/pack_info_test.cpp
    tests/discovery/path_time_test.cpp
    tests/engine/uninstall_reference.cpp
    tests/engine/uninstall_merge_test.cpp
    tests/engine/script_safety_test.cpp
)
# Test-only pure helpers every fuzz target (tests/fuzz/*_fuzz.cpp) links with.
set(PURE_FUZZ_SUPPORT
    tests/fuzz/fuzz_support.cpp
    tests/engine/uninstall_reference.cpp
)
