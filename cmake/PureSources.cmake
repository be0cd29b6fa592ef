# Modules that include no Windows header: they build with the host compiler too,
# so their tests also run natively under the sanitizers and the fuzzers reach them.
set(PURE_SOURCES
    src/engine/text_lines.cpp
    src/driver/pack_info.cpp
    src/lang/language_list.cpp
    src/lang/catalogue.cpp
    src/engine/uninstall_merge.cpp
    src/engine/script_safety.cpp
)
# Tests (and test-only helpers such as reference implementations) that need no Windows header.
set(PURE_TESTS
    tests/engine/text_lines_test.cpp
    tests/engine/uninstall_reference.cpp
    tests/engine/uninstall_merge_test.cpp
    tests/engine/script_safety_test.cpp
)
# Test-only pure helpers that the fuzz targets link too (reference models).
set(PURE_FUZZ_SUPPORT
    tests/engine/uninstall_reference.cpp
)
