#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace bench {

// The console's report, with two additions: a figure's line carries its ratio to the smaller
// of its floors, measured in the same run; and at the end, how each figure grows from the
// smallest tournament to the largest, with the exponent fitted on the four sizes.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    // The floors run first: registered before the figure.
    void compare(const std::string& figure, std::vector<std::string> floors);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    // Seconds of one iteration, by benchmark, then "players:…/rounds:…" arguments and
    // aggregate ("" for a single run).
    std::map<std::string, std::map<std::string, double>> m_seconds;
    std::map<std::string, std::vector<std::string>> m_floors;
    // Seconds by figure, then players, at 7 rounds.
    std::map<std::string, std::map<int, double>> m_growth;
    std::vector<std::string> m_order;
};

// The slope of log(seconds) over log(players), by least squares.
double fittedExponent(const std::map<int, double>& secondsByPlayers);

} // namespace bench
