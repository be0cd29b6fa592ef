# Modules that include no Windows header: they build with the host compiler too,
# so their tests also run natively under the sanitizers and the fuzzers reach them.
set(PURE_SOURCES
    src/base/ascii.cpp
    src/base/elapsed_time.cpp
    src/base/package.cpp
    src/base/paths.cpp
    src/base/text_lines.cpp
    src/lang/about_text.cpp
    src/lang/catalogue.cpp
    src/lang/language_list.cpp
    src/discovery/found_copies.cpp
    src/discovery/stamp_decision.cpp
    src/discovery/version_match.cpp
    src/engine/failure_report.cpp
    src/engine/folder_links.cpp
    src/engine/in_use_retry.cpp
    src/driver/handoff.cpp
    src/driver/earlier_run_texts.cpp
    src/engine/install_files.cpp
    src/engine/install_journal.cpp
    src/engine/install_run.cpp
    src/engine/script_safety.cpp
    src/engine/space_need.cpp
    src/engine/uninstall_merge.cpp
    src/engine/uninstall_records.cpp
    src/packcheck/dry_run.cpp
    src/packcheck/dry_run_files.cpp
    src/packcheck/file_version_bytes.cpp
    src/packcheck/findings.cpp
    src/packcheck/folder_access_posix.cpp
    src/packcheck/folder_tree.cpp
    src/packcheck/language_checks.cpp
    src/packcheck/line_diff.cpp
    src/packcheck/name_checks.cpp
    src/packcheck/package_checks.cpp
    src/packcheck/refusal.cpp
    src/packcheck/setup_check.cpp
)
# packcheck's entry; its disk is folder_access_posix.cpp above on the host and
# folder_access_win32.cpp in the Windows builds.
set(PACKCHECK_MAIN src/packcheck/main.cpp)
set(PACKCHECK_POSIX_DISK src/packcheck/folder_access_posix.cpp)
# Tests (and test-only helpers such as reference implementations) that need no Windows header.
set(PURE_TESTS
    tests/base/text_lines_test.cpp
    tests/base/paths_test.cpp
    tests/base/package_test.cpp
    tests/discovery/version_match_test.cpp
    tests/discovery/found_copies_test.cpp
    tests/discovery/stamp_decision_test.cpp
    tests/driver/handoff_test.cpp
    tests/driver/earlier_run_texts_test.cpp
    tests/lang/about_text_test.cpp
    tests/lang/catalogue_test.cpp
    tests/engine/uninstall_reference.cpp
    tests/engine/uninstall_merge_test.cpp
    tests/engine/script_safety_test.cpp
    tests/engine/install_run_test.cpp
    tests/engine/install_journal_test.cpp
    tests/engine/failure_report_test.cpp
    tests/engine/folder_links_test.cpp
    tests/engine/memory_files.cpp
    tests/packcheck/diff_apply.cpp
    tests/packcheck/dry_run_test.cpp
    tests/packcheck/line_diff_test.cpp
    tests/packcheck/name_checks_test.cpp
)
# Test-only pure helpers every fuzz target (tests/fuzz/*_fuzz.cpp) links with.
set(PURE_FUZZ_SUPPORT
    tests/fuzz/fuzz_support.cpp
    tests/engine/memory_files.cpp
    tests/engine/uninstall_reference.cpp
)
