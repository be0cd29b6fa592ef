#include "discovery/stamp_decision.h"

#include "base/package_layout.h"

StampDecision DecideFromStamps(const std::function<bool(const char* stampName)>& listsVersion) {
    // OldVersions.ini first: a package it supersedes is never installed over it.
    if (listsVersion(OldVersionsName)) return StampDecision::NewerInstalled;
    if (listsVersion(VersionStampName)) return StampDecision::AskReinstall;
    return StampDecision::Install;
}

const char* DecidingStamp(StampDecision decision) {
    switch (decision) {
    case StampDecision::NewerInstalled: return OldVersionsName;
    case StampDecision::AskReinstall: return VersionStampName;
    case StampDecision::Install: break;
    }
    return nullptr;
}
