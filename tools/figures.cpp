// figures: the manual's pictures of built quad trees, of wander and of a flock, drawn as SVG
// from runs of the engine, written into a folder or compared with the ones committed there.
//   figures (--out DIR | --compare DIR)
// With --compare it exits with 1 when a committed picture differs from what is drawn now,
// naming the file and the first line that differs, when a picture is missing, or when a file
// marked as drawn here is one that is no longer drawn.
#include "figures.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] = "usage: figures (--out DIR | --compare DIR)\n";

std::vector<Figure> allFigures() {
    std::vector<Figure> figures = treeFigures();
    figures.push_back(wanderFigure());
    figures.push_back(flockFigure());
    return figures;
}

bool readText(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

int writeAll(const fs::path& dir, const std::vector<Figure>& figures) {
    for (const Figure& figure : figures) {
        std::ofstream out(dir / figure.name, std::ios::binary);
        out << figure.svg;
        if (!out.flush()) {
            std::cerr << "figures: cannot write " << (dir / figure.name).string() << '\n';
            return 1;
        }
    }
    std::cout << "figures: " << figures.size() << " pictures written to " << dir.string() << '\n';
    return 0;
}

/// True when the committed file has the same bytes; otherwise names its first differing line.
bool sameAsCommitted(const fs::path& path, const Figure& figure) {
    std::string committed;
    if (!readText(path, committed)) {
        std::cerr << path.string() << ": missing; `figures --out` draws it\n";
        return false;
    }
    if (committed == figure.svg) {
        return true;
    }
    const std::vector<std::string> old = linesOf(committed);
    const std::vector<std::string> now = linesOf(figure.svg);
    std::size_t line = 0;
    while (line < old.size() && line < now.size() && old[line] == now[line]) {
        ++line;
    }
    std::cerr << path.string() << ":" << line + 1 << ": differs from what is drawn now\n"
              << "  committed: " << (line < old.size() ? old[line] : "(end of file)") << '\n'
              << "  drawn now: " << (line < now.size() ? now[line] : "(end of file)") << '\n';
    return false;
}

/// The files of the folder that carry the mark of this tool but are not among the figures.
std::vector<std::string> strayFigures(const fs::path& dir, const std::vector<Figure>& figures) {
    std::vector<std::string> strays;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        std::string text;
        const bool drawnHere = entry.path().extension() == ".svg" && readText(entry.path(), text) &&
                               text.find(kFigureMark) != std::string::npos;
        const bool known = std::any_of(figures.begin(), figures.end(),
                                       [&](const Figure& figure) { return figure.name == name; });
        if (drawnHere && !known) {
            strays.push_back(entry.path().string());
        }
    }
    std::sort(strays.begin(), strays.end());
    return strays;
}

int compareAll(const fs::path& dir, const std::vector<Figure>& figures) {
    int differ = 0;
    for (const Figure& figure : figures) {
        differ += sameAsCommitted(dir / figure.name, figure) ? 0 : 1;
    }
    for (const std::string& stray : strayFigures(dir, figures)) {
        std::cerr << stray << ": marked as drawn by figures, which no longer draws it\n";
        ++differ;
    }
    if (differ != 0) {
        std::cerr << "figures: " << differ << " of the pictures in " << dir.string()
                  << " differ from what is drawn now\n";
        return 1;
    }
    std::cout << "figures: " << figures.size() << " pictures in " << dir.string()
              << " are what is drawn now\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 ||
        (std::strcmp(argv[1], "--out") != 0 && std::strcmp(argv[1], "--compare") != 0)) {
        std::cerr << kUsage;
        return 2;
    }
    const fs::path dir(argv[2]);
    try {
        const std::vector<Figure> figures = allFigures();
        return std::strcmp(argv[1], "--out") == 0 ? writeAll(dir, figures)
                                                  : compareAll(dir, figures);
    } catch (const std::exception& error) {
        std::cerr << "figures: " << error.what() << '\n';
        return 1;
    }
}
