// zuvo-bench [name...]: runs the named figures (all when none is named); --list shows them.
#include "BenchFigure.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The sends measured here back the block up: into a folder of their own, not the user's.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    const auto& all = zuvo::bench::figures();
    std::vector<const zuvo::bench::Figure*> chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: zuvo-bench [name...]\n");
            for (const auto& f : all) {
                std::printf("  %-20s %s\n", f.name.c_str(), f.summary.c_str());
            }
            return 0;
        }
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const auto& f) { return f.name == argv[i]; });
        if (it == all.end()) {
            std::fprintf(stderr, "zuvo-bench: no figure named %s (see --list)\n", argv[i]);
            return 2;
        }
        chosen.push_back(&*it);
    }
    if (chosen.empty()) {
        for (const auto& f : all) {
            chosen.push_back(&f);
        }
    }
    for (const auto* f : chosen) {
        std::printf("== %s: %s\n", f->name.c_str(), f->summary.c_str());
        std::fflush(stdout);
        f->run();
    }
    return 0;
}
