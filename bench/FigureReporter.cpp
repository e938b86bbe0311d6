#include "FigureReporter.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace bench {
namespace {

double seconds(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

// "players:3996/rounds:7" gives 3996 and "rounds:7".
std::pair<int, std::string> splitPlayers(const std::string& args) {
    std::istringstream parts(args);
    std::string part, rest;
    int players = 0;
    while (std::getline(parts, part, '/')) {
        if (part.rfind("players:", 0) == 0)
            players = std::stoi(part.substr(8));
        else
            rest += (rest.empty() ? "" : "/") + part;
    }
    return {players, rest};
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

double fittedExponent(const std::map<int, double>& secondsByPlayers) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(secondsByPlayers.size());
    for (const auto& [players, time] : secondsByPlayers) {
        const double x = std::log(double(players));
        const double y = std::log(time);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

void FigureReporter::compare(const std::string& figure, std::vector<std::string> floors) {
    m_floors[figure] = std::move(floors);
}

void FigureReporter::ReportRuns(const std::vector<Run>& runs) {
    std::vector<Run> shown = runs;
    for (Run& run : shown) {
        // Spreads are no times to compare or fit.
        const bool time = run.run_type == Run::RT_Iteration || run.aggregate_name == "mean" ||
                          run.aggregate_name == "median";
        if (run.error_occurred || !time)
            continue;
        const std::string& name = run.run_name.function_name;
        const double taken = seconds(run);
        m_seconds[name][run.run_name.args + '|' + run.aggregate_name] = taken;

        const auto floors = m_floors.find(name);
        if (floors != m_floors.end()) {
            std::string least;
            double floor = 0;
            for (const std::string& candidate : floors->second) {
                const auto times = m_seconds.find(candidate);
                if (times == m_seconds.end())
                    continue;
                const auto found = times->second.find(run.run_name.args + '|' + run.aggregate_name);
                if (found != times->second.end() && (least.empty() || found->second < floor)) {
                    least = candidate;
                    floor = found->second;
                }
            }
            if (!least.empty()) {
                run.counters["x_floor"] = taken / floor;
                run.report_label = "floor " + least + " " + format("%.3g", floor * 1e3) + " ms";
            }
        }

        const auto [players, rest] = splitPlayers(run.run_name.args);
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (players > 0 && rest == "rounds:7" && (single || median)) {
            if (!m_growth.count(name))
                m_order.push_back(name);
            m_growth[name][players] = taken;
        }
    }
    ConsoleReporter::ReportRuns(shown);
}

void FigureReporter::Finalize() {
    std::ostream& out = GetOutputStream();
    const int sizes[] = {16, 64, 400, 3996};
    std::map<int, double> nLogN;
    for (const int players : sizes)
        nLogN[players] = players * std::log(double(players));
    // Fixed costs flatten the fit over all four sizes; the last step shows the growth to come.
    const auto lastStep = [](const std::map<int, double>& times) {
        return std::map<int, double>{{400, times.at(400)}, {3996, times.at(3996)}};
    };
    const double bound = fittedExponent(nLogN);
    const double lastBound = fittedExponent(lastStep(nLogN));
    out << "\nGrowth with the players, 7 rounds: ms at each size; k fitted on the four sizes "
           "(t ~ n^k), and k of the last step, 400 to 3996.\nn log n gives k = "
        << format("%.2f", bound) << " and " << format("%.2f", lastBound) << ".\n";
    char line[256];
    std::snprintf(line, sizeof line, "%-32s %9s %9s %9s %9s %6s %6s  %s\n", "figure", "16", "64",
                  "400", "3996", "k", "k last", "at most n log n");
    out << line;
    for (const std::string& name : m_order) {
        const std::map<int, double>& times = m_growth[name];
        if (times.size() != std::size(sizes))
            continue;
        std::string cells;
        for (const int players : sizes)
            cells += format("%9.3f", times.at(players) * 1e3) + ' ';
        const double k = fittedExponent(times);
        const double last = fittedExponent(lastStep(times));
        std::snprintf(line, sizeof line, "%-32s %s%6.2f %6.2f  %s\n", name.c_str(), cells.c_str(),
                      k, last, k <= bound && last <= lastBound ? "yes" : "NO");
        out << line;
    }
    ConsoleReporter::Finalize();
}

} // namespace bench
