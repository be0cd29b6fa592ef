#include "engine/failure_report.h"

#include "base/ascii.h"

namespace {
// The system's values; this module includes no Windows header.
const unsigned long ErrorAccessDenied = 5;
const unsigned long ErrorSharingViolation = 32;
const unsigned long ErrorLockViolation = 33;
const unsigned long ErrorHandleDiskFull = 39;
const unsigned long ErrorDiskFull = 112;
const unsigned long ErrorUserMappedFile = 1224;
}  // namespace

bool IsFileInUseCode(unsigned long code) {
    return code == ErrorSharingViolation || code == ErrorLockViolation || code == ErrorUserMappedFile;
}

bool IsAccessDeniedCode(unsigned long code) { return code == ErrorAccessDenied; }

bool IsDiskFullCode(unsigned long code) { return code == ErrorDiskFull || code == ErrorHandleDiskFull; }

InstallFailure WithRefusalCode(InstallFailure failure, const InstallFailure& refusal) {
    if (failure.code == 0 && refusal.code != 0 && !failure.path.empty() && EqualsAsciiNoCase(failure.path, refusal.path)) {
        failure.code = refusal.code;
        failure.reason.clear();
    }
    return failure;
}

std::string PathForUser(const std::string& path, const std::string& target) {
    if (target.empty() || path.size() <= target.size() + 1 || path[target.size()] != '\\' ||
        !EqualsAsciiNoCase(std::string_view(path).substr(0, target.size()), target))
        return path;
    return path.substr(target.size() + 1);
}

std::string FailureDetails(const InstallFailure& failure, const std::string& target,
                           const std::string& accessDeniedAdvice) {
    std::string details;
    if (!failure.path.empty()) details += "\r\n\r\n" + PathForUser(failure.path, target);
    if (!failure.reason.empty()) details += (details.empty() ? "\r\n\r\n" : "\r\n") + failure.reason;
    if (IsAccessDeniedCode(failure.code) && !accessDeniedAdvice.empty())
        details += "\r\n\r\n" + accessDeniedAdvice + "\r\n" + target;
    return details;
}
