#include "packcheck/name_checks.h"

#include <algorithm>
#include <vector>

#include "base/package_layout.h"
#include "base/paths.h"
#include "packcheck/folder_tree.h"

namespace {

// Edits between the two texts, a swap of neighbours counting as one; 3 at
// once for lengths further apart, as the caller only asks for 1.
int SlipDistance(const std::string& a, const std::string& b) {
    if (a.size() > b.size() + 2 || b.size() > a.size() + 2) return 3;
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names;
    for (std::string_view name : PathNames(path)) names.emplace_back(name);
    return names;
}

// `longer` is `shorter` with one name put in among its folders.
bool OneFolderMore(const std::vector<std::string>& longer, const std::vector<std::string>& shorter) {
    if (longer.size() != shorter.size() + 1 || longer.back() != shorter.back()) return false;
    for (size_t skip = 0; skip + 1 < longer.size(); ++skip) {
        std::vector<std::string> rest = longer;
        rest.erase(rest.begin() + static_cast<long>(skip));
        if (rest == shorter) return true;
    }
    return false;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && FoldNameCase(text.substr(text.size() - end.size())) == FoldNameCase(end);
}

}  // namespace

bool NamesAreClose(const std::string& typed, const std::string& meant) {
    std::string a = FoldNameCase(typed), b = FoldNameCase(meant);
    if (a == b) return false;
    if (SlipDistance(a, b) <= 1) return true;
    std::vector<std::string> x = Names(a), y = Names(b);
    return OneFolderMore(x, y) || OneFolderMore(y, x);
}

std::string ReservedNameIn(const std::string& path) {
    for (std::string_view view : PathNames(path)) {
        std::string name(view);
        name.erase(name.find_last_not_of(". ") + 1);  // the system drops these
        if (FoldNameCase(name) == FoldNameCase(JournalName)) return JournalName;
        if (EndsWithNoCase(name, ReplacementSuffix)) return ReplacementSuffix;
        std::string digitsCut = name.substr(0, name.find_last_not_of("0123456789") + 1);
        if (EndsWithNoCase(digitsCut, AsideSuffix)) return AsideSuffix;
    }
    return "";
}
