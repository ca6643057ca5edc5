// A small SVG writer for the manual's pictures: the same drawing gives the same bytes on every
// target, as every number is written with at most one decimal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// A point of the picture, in pixels from its top-left corner.
struct Point {
    double x;
    double y;
};

/// One SVG document in the manual's style: white ground, the shared style sheet and arrowheads
/// in four colours (dark, blue, red, green), drawn in the order of the calls.
class Svg {
public:
    /// Starts a picture of the given size; the note says how it was made, in a comment.
    Svg(int width, int height, std::string_view title, std::string_view note);

    void line(Point from, Point to, std::string_view style);
    /// A line ending in an arrowhead of the named colour.
    void arrow(Point from, Point to, std::string_view style, std::string_view head);
    /// Straight lines through the points in order.
    void polyline(const std::vector<Point>& points, std::string_view style);
    void rect(Point corner, double width, double height, std::string_view style);
    void circle(Point centre, double radius, std::string_view style);
    /// Text starting at (or, by its style, centred on) the point, on its baseline.
    void text(Point at, std::string_view words, std::string_view style);
    /// The whole document, closed.
    std::string finish();

private:
    std::string out_;
};

/// The number with at most one decimal, "-0" written as "0".
std::string svgNumber(double value);
