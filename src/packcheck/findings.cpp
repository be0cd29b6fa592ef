#include "packcheck/findings.h"

#include <algorithm>

void SortFindings(std::vector<Finding>& findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
}

FindingCounts CountFindings(const std::vector<Finding>& findings) {
    FindingCounts counts;
    for (const auto& finding : findings) {
        if (finding.severity == Severity::Error) ++counts.errors;
        if (finding.severity == Severity::Warning) ++counts.warnings;
    }
    return counts;
}

std::string FormatFinding(const Finding& finding, char separator) {
    static const char* const kinds[] = {"error", "warning", "note"};
    std::string file = finding.file;
    std::replace(file.begin(), file.end(), '\\', separator);
    std::string out = file;
    if (finding.line > 0) out.append(":").append(std::to_string(finding.line));
    return out.append(": ").append(kinds[static_cast<int>(finding.severity)]).append(": ").append(finding.text);
}

std::string FormatSummary(const FindingCounts& counts) {
    return std::to_string(counts.errors) + " errors, " + std::to_string(counts.warnings) + " warnings";
}
