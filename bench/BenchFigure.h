// zuvo-bench's figures: each file registers one or more named figures that measure something and
// print it against its goal.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zuvo::bench {

struct Figure {
    std::string name;
    std::string summary;
    std::function<void()> run;
};

// Every registered figure, in registration order.
std::vector<Figure>& figures();

// Registers a figure at start-up: `static RegisterFigure reg{"name", "summary", run};`
struct RegisterFigure {
    RegisterFigure(std::string name, std::string summary, std::function<void()> run);
};

// Prints one line: label, value with unit, goal and the ratio value/goal (below 1 meets it).
void printFigure(const std::string& label, double value, const std::string& unit, double goal);

// Prints a time measured whole against the least it can take (its floor): value, floor, the
// ratio value/floor, and the goal for that ratio.
void printFloorFigure(const std::string& label, double valueMs, double floorMs, double goalRatio);

} // namespace zuvo::bench
