#include "BenchFigure.h"

#include <cstdio>

namespace zuvo::bench {

std::vector<Figure>& figures() {
    static std::vector<Figure> all;
    return all;
}

RegisterFigure::RegisterFigure(std::string name, std::string summary, std::function<void()> run) {
    figures().push_back({std::move(name), std::move(summary), std::move(run)});
}

void printFigure(const std::string& label, double value, const std::string& unit, double goal) {
    const double ratio = goal > 0 ? value / goal : 0;
    std::printf("%-28s %8.3f %-3s goal %g %-3s ratio %.2f%s\n", label.c_str(), value, unit.c_str(),
                goal, unit.c_str(), ratio, ratio > 1 ? "  OVER GOAL" : "");
    std::fflush(stdout);
}

void printFloorFigure(const std::string& label, double valueMs, double floorMs, double goalRatio) {
    const double ratio = floorMs > 0 ? valueMs / floorMs : 0;
    std::printf("%-28s %8.1f ms  floor %.1f ms  ratio %.3f  goal %g%s\n", label.c_str(), valueMs,
                floorMs, ratio, goalRatio, ratio > goalRatio ? "  OVER GOAL" : "");
    std::fflush(stdout);
}

} // namespace zuvo::bench
