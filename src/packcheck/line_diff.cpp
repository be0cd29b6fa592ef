#include "packcheck/line_diff.h"

#include <algorithm>

namespace {

enum class Op { Same, Removed, Added };

// The shortest edit script (Myers): for each step, the furthest reach on each
// diagonal; then walked back from the end.
std::vector<Op> EditScript(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const int n = static_cast<int>(a.size()), m = static_cast<int>(b.size()), offset = n + m + 1;
    std::vector<int> reach(2 * offset + 1, 0);
    std::vector<std::vector<int>> trace;
    int steps = 0;
    for (;; ++steps) {
        trace.push_back(reach);
        bool done = false;
        for (int k = -steps; k <= steps && !done; k += 2) {
            int x = (k == -steps || (k != steps && reach[offset + k - 1] < reach[offset + k + 1]))
                        ? reach[offset + k + 1]
                        : reach[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            reach[offset + k] = x;
            done = x >= n && y >= m;
        }
        if (done) break;
    }
    std::vector<Op> ops;
    int x = n, y = m;
    for (int d = steps; d >= 0; --d) {
        const std::vector<int>& v = trace[d];
        int k = x - y;
        int previousK = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? k + 1 : k - 1;
        int previousX = d == 0 ? 0 : v[offset + previousK];
        int previousY = d == 0 ? 0 : previousX - previousK;
        while (x > previousX && y > previousY) {
            ops.push_back(Op::Same);
            --x, --y;
        }
        if (d == 0) break;
        ops.push_back(x == previousX ? Op::Added : Op::Removed);
        x = previousX, y = previousY;
    }
    std::reverse(ops.begin(), ops.end());
    return ops;
}

std::string Range(int start, int count) {
    // An empty range names the line before it; a single line goes without its count.
    if (count == 0) return std::to_string(start - 1) + ",0";
    return count == 1 ? std::to_string(start) : std::to_string(start) + "," + std::to_string(count);
}

}  // namespace

std::vector<std::string> UnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& after,
                                     const std::string& name, int context) {
    // Only the part between the common start and end goes through the search.
    size_t head = 0, tail = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    std::vector<Op> ops(head, Op::Same);
    std::vector<Op> middle = EditScript({before.begin() + head, before.end() - tail}, {after.begin() + head, after.end() - tail});
    ops.insert(ops.end(), middle.begin(), middle.end());
    ops.insert(ops.end(), tail, Op::Same);
    std::vector<std::string> out;
    size_t i = 0;
    int lineA = 1, lineB = 1;  // the line numbers at ops[i]
    while (i < ops.size()) {
        size_t change = i;
        while (change < ops.size() && ops[change] == Op::Same) ++change;
        if (change == ops.size()) break;
        // The hunk starts `context` lines before the change and runs until
        // more than twice `context` unchanged lines follow one.
        size_t lead = std::min<size_t>(context, change - i);
        size_t start = change - lead;
        int startA = lineA + static_cast<int>(start - i), startB = lineB + static_cast<int>(start - i);
        size_t end = change;
        for (size_t same = 0; end < ops.size(); ++end) {
            same = ops[end] == Op::Same ? same + 1 : 0;
            if (same > static_cast<size_t>(2 * context)) break;
        }
        size_t trail = 0;
        while (trail < end - start && ops[end - 1 - trail] == Op::Same) ++trail;
        end -= trail > static_cast<size_t>(context) ? trail - context : 0;
        std::vector<std::string> body;
        int a = startA, b = startB;
        for (size_t j = start; j < end; ++j) {
            if (ops[j] == Op::Same) body.push_back(" " + before[a++ - 1]), ++b;
            else if (ops[j] == Op::Removed) body.push_back("-" + before[a++ - 1]);
            else body.push_back("+" + after[b++ - 1]);
        }
        if (out.empty()) out = {"--- " + name, "+++ " + name};
        out.push_back("@@ -" + Range(startA, a - startA) + " +" + Range(startB, b - startB) + " @@");
        out.insert(out.end(), body.begin(), body.end());
        lineA = a, lineB = b, i = end;
    }
    return out;
}
