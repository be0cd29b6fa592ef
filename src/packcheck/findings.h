// What packcheck reports: findings in the form compilers use,
// "path:line: error|warning|note: text", and the summary line.
#pragma once
#include <string>
#include <vector>

enum class Severity { Error, Warning, Note };

struct Finding {
    std::string file;  // relative to the setup folder, "\" between names
    int line = 0;      // 1-based; 0 for the file as a whole
    Severity severity = Severity::Warning;
    std::string text;  // ANSI
};

struct FindingCounts {
    int errors = 0;
    int warnings = 0;
};

// Sorted by file, then line, the order of finding kept within a line.
void SortFindings(std::vector<Finding>& findings);
FindingCounts CountFindings(const std::vector<Finding>& findings);
// "file:line: kind: text" with the file's names joined by `separator`; the
// line left out for a whole file.
std::string FormatFinding(const Finding& finding, char separator);
// "N errors, N warnings".
std::string FormatSummary(const FindingCounts& counts);
