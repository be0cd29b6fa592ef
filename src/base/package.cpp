#include "base/package.h"

#include "base/paths.h"
#include "base/text_lines.h"

std::string Package::PackageFolderIn(const std::string& target) const {
    return ::PackageFolderIn(target, PackBaseFolder, PackName);
}

Package ParsePackIni(const std::vector<std::string>& lines) {
    Package package;
    std::string* const fields[PackIniFields] = {
        &package.PackTitle, &package.PackProgramName, &package.PackExeName,    &package.PackWindowClass,
        &package.PackName,  &package.PackVersion,     &package.PackBaseFolder, &package.PackMode};
    int counter = 0;
    for (const auto& line : lines) {
        if (IsCommentLine(line)) continue;
        if (counter < PackIniFields) *fields[counter] = line;
        ++counter;
    }
    return package;
}
