# Modules that include no Windows header: they build with the host compiler too,
# so their tests also run natively under the sanitizers and the fuzzers reach them.
set(PURE_SOURCES
    src/engine/text_lines.cpp
)
set(PURE_TESTS
    tests/engine/text_lines_test.cpp
)
