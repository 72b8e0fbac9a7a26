// The pending-values list every application panel keeps: values reported by
// the process for its controls, in arrival order, applied on the next timer
// tick so that controls are touched only there.
#pragma once

#include <utility>
#include <vector>

class CPanel {
public:
    void QueueValue(int nControl, int nValue) { maPending.emplace_back(nControl, nValue); }
    bool HasPendingValues() const { return !maPending.empty(); }

protected:
    // Hands the list over and leaves it empty; what the caller does with a
    // value may queue new ones for the next tick.
    std::vector<std::pair<int, int>> TakePendingValues()
    {
        std::vector<std::pair<int, int>> values;
        values.swap(maPending);
        return values;
    }

private:
    std::vector<std::pair<int, int>> maPending;
};
