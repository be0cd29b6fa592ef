// What a failed install run tells the user below its first line: the file that
// failed (relative to the target when it lies there) and the system's words for
// why, with advice for the reasons a user can put right. Pure.
#pragma once
#include <string>

// The failure a run ended on, as the disk reported it.
struct InstallFailure {
    std::string path;        // the file or folder that failed; "" when no file was at fault
    std::string reason;      // the system's text for the error, or the program's own words
    unsigned long code = 0;  // the system's error code; 0 when unknown
};

// The system's error codes the user is told more about.
bool IsFileInUseCode(unsigned long code);    // a sharing or lock violation
bool IsAccessDeniedCode(unsigned long code);
bool IsDiskFullCode(unsigned long code);

// The failure with the system's code of the disk's last refusal when the two
// name the same file and the failure itself carries none (the program's own
// words for a refused step); its reason is then left for the system's text.
InstallFailure WithRefusalCode(InstallFailure failure, const InstallFailure& refusal);

// The path as the user should read it: relative to the target folder when it
// lies below it (ASCII case ignored), else whole.
std::string PathForUser(const std::string& path, const std::string& target);

// The lines below the failure box's first line: a blank line, the file, the
// reason, and for access denied a blank line, `accessDeniedAdvice` and the target.
std::string FailureDetails(const InstallFailure& failure, const std::string& target,
                           const std::string& accessDeniedAdvice);
