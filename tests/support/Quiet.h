#pragma once

#include "draw/TableDraw.h"

#include <QString>
#include <map>

// The draw's window, where a test only wants the draw done.
struct QuietDrawControls : draw::DrawControls {
    void setButtons(bool, bool) override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
};

// Chi-square of observed counts against equal expected counts, over `cells` cells.
inline double chiSquare(const std::map<QString, int>& counts, int cells, int total) {
    const double expected = double(total) / cells;
    double sum = (cells - int(counts.size())) * expected; // cells never seen
    for (const auto& [cell, count] : counts)
        sum += (count - expected) * (count - expected) / expected;
    return sum;
}
