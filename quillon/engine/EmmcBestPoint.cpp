#include "EmmcBestPoint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace quillon {

namespace {

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

SEmmcBlockScore ScoreEmmcBlockMode0(const CEmmcCellGrid& grid) {
    SEmmcBlockScore result;
    if (!grid.FirstGood()) {
        return result;
    }
    const int64_t x0 = (*grid.FirstGood())[0];
    const int64_t y0 = (*grid.FirstGood())[1];
    // Both highest values start at 0, so a walk that never enters still yields a centre; each
    // is the last value noted, so a shorter last row pulls the centre column in.
    int64_t highestCol = 0;
    int64_t highestRow = 0;
    int64_t count = 0;
    for (int64_t y = y0; y < grid.Rows(); ++y) {
        if (!grid.IsGood(x0, y)) {
            break;
        }
        highestRow = y;
        for (int64_t x = x0; x < grid.Cols(); ++x) {
            if (!grid.IsGood(x, y)) {
                break;
            }
            ++count;
            highestCol = x;
        }
    }
    result.nCount = ClampToInt32(count);
    result.centre = std::array<int32_t, 2>{ClampToInt32((x0 + highestCol) / 2),
                                           ClampToInt32((y0 + highestRow) / 2)};
    return result;
}

std::vector<SEmmcRowRun> FindEmmcRowRuns(const CEmmcCellGrid& grid) {
    std::vector<SEmmcRowRun> runs(static_cast<size_t>(grid.Rows()));
    for (int32_t y = 0; y < grid.Rows(); ++y) {
        int32_t previous = 0;
        bool seenThree = false;
        for (int32_t x = 0; x < grid.Cols(); ++x) {
            const int32_t t = grid.IsGood(x, y) ? previous + 1 : 0;
            if (seenThree && t == 0) {
                runs[static_cast<size_t>(y)] = {x - previous, x - 1, previous};
                break;
            }
            if (t >= 3) {
                seenThree = true;
            }
            previous = t;
        }
    }
    return runs;
}

std::vector<int32_t> FindEmmcChains(const std::vector<SEmmcRowRun>& runs) {
    std::vector<int32_t> chain(runs.size(), 0);
    for (size_t c = 1; c < runs.size(); ++c) {
        const SEmmcRowRun& p = runs[c - 1];
        const SEmmcRowRun& r = runs[c];
        const bool overlap = p.nEnd >= r.nStart && r.nEnd >= p.nStart;
        // A row continues the chain when it overlaps and is not shorter by more than half.
        if (r.nLength != 0 && overlap && p.nLength / 2 >= p.nLength - r.nLength) {
            if (chain[c - 1] == 0) {
                chain[c - 1] = 1;
            }
            chain[c] = chain[c - 1] + 1;
        }
    }
    return chain;
}

SEmmcBlockScore ScoreEmmcBlockRuns(const CEmmcCellGrid& grid) {
    SEmmcBlockScore result;
    const std::vector<SEmmcRowRun> runs = FindEmmcRowRuns(grid);
    const std::vector<int32_t> chain = FindEmmcChains(runs);

    int32_t longest = 0;
    int32_t r1 = 0;
    for (size_t y = 0; y < chain.size(); ++y) {
        if (chain[y] > longest) {
            longest = chain[y];
            r1 = static_cast<int32_t>(y);
        }
    }
    if (longest == 0) {
        return result;
    }
    const int32_t r0 = r1 - longest + 1;
    int64_t count = 0;
    for (int32_t y = r0; y <= r1; ++y) {
        count += runs[static_cast<size_t>(y)].nLength;
    }
    result.nCount = ClampToInt32(count);

    const SEmmcRowRun& first = runs[static_cast<size_t>(r0)];
    const SEmmcRowRun& last = runs[static_cast<size_t>(r1)];
    const int32_t my = (r0 + r1) / 2;
    const int32_t e1 = last.nEnd;
    if (std::abs(first.nEnd - e1) <= 3) {
        result.centre = std::array<int32_t, 2>{(first.nStart + first.nEnd) / 2, my};
        return result;
    }
    // The chain leans: walk down its rows for the first one whose slanted edge reaches it.
    for (int32_t y = r0; y < r1; ++y) {
        const int32_t k = y - r0;
        const int32_t ey = runs[static_cast<size_t>(y)].nEnd;
        const double dy = std::abs(y - r1 + 1);
        const double dx = std::abs(ey - e1 + 1);
        const double slant = dy / std::sqrt(dx * dx + dy * dy);
        if (slant * static_cast<double>(ey - k) <= static_cast<double>(k + 1)) {
            result.centre = std::array<int32_t, 2>{k, y};
            return result;
        }
    }
    const SEmmcRowRun& before = runs[static_cast<size_t>(r1 - 1)];
    const int32_t dy = std::abs(my - r1);
    const int32_t dx = std::abs(before.nEnd - e1);
    if (dx != 0) {
        const double r = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        const double mReal = r / (static_cast<double>(dx) / r);
        const int64_t m = static_cast<int64_t>(std::min(mReal, 1e15));
        for (int64_t j = 0; j <= m; ++j) {
            const int64_t i = before.nLength - j;
            if (static_cast<double>(i) <= static_cast<double>(j * dy) / r) {
                result.centre = std::array<int32_t, 2>{ClampToInt32(before.nStart + i), my};
                return result;
            }
        }
    }
    result.centre = std::array<int32_t, 2>{(before.nStart + before.nEnd) / 2, my};
    return result;
}

SEmmcCandidate PickEmmcRowCandidate(int32_t row, const std::vector<int32_t>& scores) {
    struct SRun {
        int64_t nLength = 0;
        int64_t nSum = 0;
    };
    std::vector<SRun> u(scores.size());
    for (size_t c = 0; c < scores.size(); ++c) {
        const int64_t s = scores[c];
        if (s != 0) {
            u[c] = c == 0 ? SRun{1, s} : SRun{u[c - 1].nLength + 1, u[c - 1].nSum + s};
        }
    }
    int64_t bestCol = 0;
    int64_t bestSum = 0;
    for (size_t c = 0; c < u.size(); ++c) {
        if (u[c].nSum > bestSum) {
            bestSum = u[c].nSum;
            bestCol = static_cast<int64_t>(c);
        }
    }
    const int64_t d = u.empty() ? 0 : u[static_cast<size_t>(bestCol)].nLength;
    const int64_t mid = (2 * bestCol - d + 1) / 2;
    // The middle of the strongest run, but at most four columns past the run's first column.
    const int64_t pick = std::min(bestCol - d + 5, mid);
    return {ClampToInt32(pick), row, ClampToInt32(bestSum)};
}

std::optional<SEmmcCandidate> ChooseEmmcCandidate(std::vector<SEmmcCandidate> candidates) {
    if (candidates.empty()) {
        return std::nullopt;
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const SEmmcCandidate& a, const SEmmcCandidate& b) {
                         return a.nCol != b.nCol ? a.nCol < b.nCol : a.nRow < b.nRow;
                     });
    int64_t threshold = -5;
    std::optional<SEmmcCandidate> best;
    for (const SEmmcCandidate& candidate : candidates) {
        if (candidate.nScore > threshold + 5) {
            best = candidate;
            threshold = candidate.nScore;
        }
    }
    if (!best) {
        return SEmmcCandidate{0, 0, -5};
    }
    return best;
}

} // namespace quillon
