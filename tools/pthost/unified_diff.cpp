#include "unified_diff.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pthost {
namespace {

// Past this many edits between the common head and the common tail, the middle is written as
// removed whole and added whole: the search for the shortest edit keeps the square of the edit
// count in memory.
constexpr int kMaxEdits = 2000;

enum class Op { Keep, Remove, Add };

// Each line with its line break, when it has one, so that a last line without one differs
// from the same line with one.
std::vector<std::string_view> SplitLines(const std::string& text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.emplace_back(text.data() + start, next - start);
        start = next;
    }
    return lines;
}

// The furthest x reached on each diagonal k in -d..d after round d of the search.
class Frontier {
public:
    explicit Frontier(int d) : d_(d), x_(static_cast<size_t>(2 * d + 1), 0) {}
    int& At(int k) { return x_[static_cast<size_t>(k + d_)]; }
    int At(int k) const { return x_[static_cast<size_t>(k + d_)]; }

private:
    int d_;
    std::vector<int> x_;
};

// Whether round d reaches diagonal k from k + 1 (an added line) rather than from k - 1.
bool FromAbove(const Frontier& previous, int k, int d) {
    return k == -d || (k != d && previous.At(k - 1) < previous.At(k + 1));
}

std::vector<Op> Backtrack(const std::vector<Frontier>& rounds, int n, int m) {
    std::vector<Op> ops;
    int x = n;
    int y = m;
    for (int d = static_cast<int>(rounds.size()) - 1; d > 0; --d) {
        const Frontier& previous = rounds[static_cast<size_t>(d - 1)];
        const int k = x - y;
        const bool added = FromAbove(previous, k, d);
        const int previousX = previous.At(added ? k + 1 : k - 1);
        const int previousY = previousX - (added ? k + 1 : k - 1);
        for (; x > previousX && y > previousY; --x, --y) ops.push_back(Op::Keep);
        ops.push_back(added ? Op::Add : Op::Remove);
        x = previousX;
        y = previousY;
    }
    for (; x > 0 && y > 0; --x, --y) ops.push_back(Op::Keep);
    std::reverse(ops.begin(), ops.end());
    return ops;
}

// The shortest edit script from a to b (Myers' greedy search); nullopt past kMaxEdits edits.
std::optional<std::vector<Op>> ShortestEdit(const std::vector<int>& a, const std::vector<int>& b) {
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    std::vector<Frontier> rounds;
    for (int d = 0; d <= std::min(n + m, kMaxEdits); ++d) {
        Frontier current(d);
        for (int k = -d; k <= d; k += 2) {
            int x = d == 0 ? 0 : FromAbove(rounds.back(), k, d) ? rounds.back().At(k + 1) : rounds.back().At(k - 1) + 1;
            int y = x - k;
            while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) ++x, ++y;
            current.At(k) = x;
            if (x >= n && y >= m) {
                rounds.push_back(std::move(current));
                return Backtrack(rounds, n, m);
            }
        }
        rounds.push_back(std::move(current));
    }
    return std::nullopt;
}

// The edit script for the whole texts: the common head and tail kept, the middle searched.
std::vector<Op> EditScript(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;

    std::unordered_map<std::string_view, int> ids;
    const auto number = [&](const std::vector<std::string_view>& lines) {
        std::vector<int> numbered;
        for (size_t i = head; i < lines.size() - tail; ++i) {
            numbered.push_back(ids.emplace(lines[i], static_cast<int>(ids.size())).first->second);
        }
        return numbered;
    };
    const std::vector<int> middleA = number(a);
    const std::vector<int> middleB = number(b);

    std::vector<Op> ops(head, Op::Keep);
    if (std::optional<std::vector<Op>> middle = ShortestEdit(middleA, middleB)) {
        ops.insert(ops.end(), middle->begin(), middle->end());
    } else {
        ops.insert(ops.end(), middleA.size(), Op::Remove);
        ops.insert(ops.end(), middleB.size(), Op::Add);
    }
    ops.insert(ops.end(), tail, Op::Keep);
    return ops;
}

// "-l,n" or "+l,n" as diff -u writes a range: ",n" left out when n is 1, and an empty range
// numbered by the line before it.
std::string Range(char sign, size_t start, size_t count) {
    std::string text(1, sign);
    text += std::to_string(count == 0 ? start : start + 1);
    if (count != 1) text += "," + std::to_string(count);
    return text;
}

class HunkWriter {
public:
    HunkWriter(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
               const std::vector<Op>& ops)
        : a_(a), b_(b), ops_(ops) {}

    // The ops [first, last) as one hunk.
    void Write(size_t first, size_t last, std::string& out) const {
        size_t i = 0;
        size_t j = 0;
        Advance(0, first, i, j);
        size_t endI = i;
        size_t endJ = j;
        Advance(first, last, endI, endJ);
        out += "@@ " + Range('-', i, endI - i) + " " + Range('+', j, endJ - j) + " @@\n";
        for (size_t index = first; index < last; ++index) {
            switch (ops_[index]) {
                case Op::Keep: Line(' ', a_[i++], out), ++j; break;
                case Op::Remove: Line('-', a_[i++], out); break;
                case Op::Add: Line('+', b_[j++], out); break;
            }
        }
    }

private:
    void Advance(size_t from, size_t to, size_t& i, size_t& j) const {
        for (size_t index = from; index < to; ++index) {
            if (ops_[index] != Op::Add) ++i;
            if (ops_[index] != Op::Remove) ++j;
        }
    }

    static void Line(char sign, std::string_view line, std::string& out) {
        out += sign;
        out += line;
        if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
    }

    const std::vector<std::string_view>& a_;
    const std::vector<std::string_view>& b_;
    const std::vector<Op>& ops_;
};

}  // namespace

std::string UnifiedDiff(const std::string& before, const std::string& after, const std::string& beforeName,
                        const std::string& afterName, int context) {
    const std::vector<std::string_view> a = SplitLines(before);
    const std::vector<std::string_view> b = SplitLines(after);
    const std::vector<Op> ops = EditScript(a, b);
    const size_t around = static_cast<size_t>(std::max(context, 0));

    std::vector<size_t> changes;
    for (size_t index = 0; index < ops.size(); ++index) {
        if (ops[index] != Op::Keep) changes.push_back(index);
    }
    if (changes.empty()) return {};

    std::string out = "--- " + beforeName + "\n+++ " + afterName + "\n";
    const HunkWriter writer(a, b, ops);
    size_t first = changes.front();
    for (size_t c = 0; c < changes.size(); ++c) {
        const bool lastOfHunk = c + 1 == changes.size() || changes[c + 1] - changes[c] - 1 > 2 * around;
        if (!lastOfHunk) continue;
        writer.Write(first - std::min(first, around), std::min(ops.size(), changes[c] + around + 1), out);
        if (c + 1 < changes.size()) first = changes[c + 1];
    }
    return out;
}

}  // namespace pthost
