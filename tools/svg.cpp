// The SVG writer and the style sheet every picture of the manual shares, hand-drawn ones too.
#include "svg.h"

#include <cstdio>

namespace {

constexpr char kStyle[] = R"(<style>
  text { font-family: 'DejaVu Sans', Verdana, Arial, sans-serif; font-size: 12px; fill: #212529; }
  .title { font-size: 14px; font-weight: bold; }
  .small { font-size: 10px; fill: #495057; }
  .halo { paint-order: stroke; stroke: #ffffff; stroke-width: 3px; stroke-linejoin: round; }
  .bold { font-weight: bold; }
  .mid { text-anchor: middle; }
  .end { text-anchor: end; }
  .code { font-family: 'DejaVu Sans Mono', Menlo, Consolas, monospace; font-size: 11px; }
  .frame { fill: none; stroke: #343a40; stroke-width: 1.5; }
  .box { fill: #f8f9fa; stroke: #495057; stroke-width: 1.2; }
  .stored { fill: #d3f9d8; stroke: #2b8a3e; stroke-width: 1; }
  .unstored { fill: #fff3bf; stroke: #e67700; stroke-width: 1; }
  .empty { fill: #f1f3f5; stroke: #adb5bd; stroke-width: 1; }
  .midline { stroke: #1c7ed6; stroke-width: 1.5; stroke-dasharray: 6 4; }
  .depth0 { stroke: #212529; stroke-width: 2; }
  .depth1 { stroke: #1c7ed6; stroke-width: 1.6; }
  .depth2 { stroke: #7048e8; stroke-width: 1.3; }
  .depth3 { stroke: #0ca678; stroke-width: 1.1; }
  .depth4 { stroke: #e8590c; stroke-width: 1; }
  .entity { fill: #e8590c; stroke: #ffffff; stroke-width: 1; }
  .guide { fill: none; stroke: #868e96; stroke-width: 1; stroke-dasharray: 3 3; }
  .circle { fill: none; stroke: #1c7ed6; stroke-width: 1.5; }
  .jitter { fill: #fff3bf; fill-opacity: 0.6; stroke: #e67700; stroke-width: 1; }
  .dark { stroke: #343a40; stroke-width: 1.5; fill: none; }
  .blue { stroke: #1c7ed6; stroke-width: 1.5; fill: none; }
  .red { stroke: #e03131; stroke-width: 2; fill: none; }
  .path { stroke: #74c0fc; stroke-width: 1.2; fill: none; }
  .green { stroke: #2b8a3e; stroke-width: 1.5; fill: none; }
  .target { fill: #1c7ed6; }
  .final { fill: #e03131; }
  .ring { fill: none; stroke: #343a40; stroke-width: 1.5; }
</style>
)";

constexpr const char* kHeads[][2] = {
    {"dark", "#343a40"}, {"blue", "#1c7ed6"}, {"red", "#e03131"}, {"green", "#2b8a3e"}};

std::string escaped(std::string_view words) {
    std::string out;
    for (const char c : words) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string classAttribute(std::string_view style) {
    return style.empty() ? std::string() : " class=\"" + std::string(style) + "\"";
}

std::string pointAttributes(Point p, const char* x, const char* y) {
    return std::string(" ") + x + "=\"" + svgNumber(p.x) + "\" " + y + "=\"" + svgNumber(p.y) +
           "\"";
}

} // namespace

std::string svgNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out(text);
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) {
        out.resize(out.size() - 2);
    }
    return out == "-0" ? "0" : out;
}

Svg::Svg(int width, int height, std::string_view title, std::string_view note) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- " + std::string(note) +
           " -->\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\">\n<title>" + escaped(title) + "</title>\n" +
           kStyle + "<defs>\n";
    for (const auto& head : kHeads) {
        out_ += std::string("  <marker id=\"head-") + head[0] +
                "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\" "
                "markerHeight=\"7\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\"" +
                head[1] + "\"/></marker>\n";
    }
    out_ += "</defs>\n<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
}

void Svg::line(Point from, Point to, std::string_view style) {
    out_ += "<line" + pointAttributes(from, "x1", "y1") + pointAttributes(to, "x2", "y2") +
            classAttribute(style) + "/>\n";
}

void Svg::arrow(Point from, Point to, std::string_view style, std::string_view head) {
    out_ += "<line" + pointAttributes(from, "x1", "y1") + pointAttributes(to, "x2", "y2") +
            classAttribute(style) + " marker-end=\"url(#head-" + std::string(head) + ")\"/>\n";
}

void Svg::polyline(const std::vector<Point>& points, std::string_view style) {
    std::string list;
    for (const Point& p : points) {
        list += (list.empty() ? "" : " ") + svgNumber(p.x) + "," + svgNumber(p.y);
    }
    out_ += "<polyline points=\"" + list + "\"" + classAttribute(style) + "/>\n";
}

void Svg::rect(Point corner, double width, double height, std::string_view style) {
    out_ += "<rect" + pointAttributes(corner, "x", "y") + " width=\"" + svgNumber(width) +
            "\" height=\"" + svgNumber(height) + "\"" + classAttribute(style) + "/>\n";
}

void Svg::circle(Point centre, double radius, std::string_view style) {
    out_ += "<circle" + pointAttributes(centre, "cx", "cy") + " r=\"" + svgNumber(radius) + "\"" +
            classAttribute(style) + "/>\n";
}

void Svg::text(Point at, std::string_view words, std::string_view style) {
    out_ += "<text" + pointAttributes(at, "x", "y") + classAttribute(style) + ">" + escaped(words) +
            "</text>\n";
}

std::string Svg::finish() {
    return out_ + "</svg>\n";
}
