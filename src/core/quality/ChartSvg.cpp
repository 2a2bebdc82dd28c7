#include "core/quality/ChartSvg.h"

#include "core/text/TextHelpers.h"

#include <charconv>

namespace travek {

namespace {

// A Windows-1252 text as UTF-8, with what XML reserves escaped.
std::string xmlText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            continue;
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        case '"':
            out += "&quot;";
            continue;
        default:
            break;
        }
        const char32_t u = win1252ToUnicode(c);
        if (u < 0x20 && u != '\n' && u != '\t')
            continue; // XML 1.0 has no place for other control characters
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// A coordinate with at most two decimals, always with a point.
std::string num(double v) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    std::string text(buffer, r.ptr);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string colour(ChartColour c) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string text = "#";
    for (std::uint8_t part : {c.r, c.g, c.b}) {
        text += Hex[part >> 4];
        text += Hex[part & 15];
    }
    return text;
}

} // namespace

std::string chartSvg(const ChartGeometry& g) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      num(g.width) + "\" height=\"" + num(g.height) + "\" viewBox=\"0 0 " + num(g.width) +
                      " " + num(g.height) + "\" font-family=\"sans-serif\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" stroke=\"none\" fill=\"" + colour(g.background) + "\"/>\n";
    for (const ChartGeometry::Band& b : g.bands)
        svg += "<rect x=\"" + num(b.left) + "\" y=\"" + num(b.top) + "\" width=\"" + num(b.right - b.left) +
               "\" height=\"" + num(b.bottom - b.top) + "\" stroke=\"none\" fill=\"" + colour(b.colour) +
               "\"/>\n";
    for (const ChartGeometry::Line& l : g.lines)
        svg += "<line x1=\"" + num(l.x1) + "\" y1=\"" + num(l.y1) + "\" x2=\"" + num(l.x2) + "\" y2=\"" +
               num(l.y2) + "\" stroke=\"" + colour(l.colour) + "\" stroke-width=\"" + num(l.width) + "\"" +
               (l.dashed ? " stroke-dasharray=\"6 4\"" : "") + "/>\n";
    for (const ChartGeometry::Point& p : g.points) {
        svg += "<g><title>" + xmlText(p.tip) + "</title>";
        if (p.marked)
            svg += "<circle cx=\"" + num(p.x) + "\" cy=\"" + num(p.y) + "\" r=\"" +
                   num(p.radius + ChartGeometry::RingGap) + "\" fill=\"none\" stroke=\"" +
                   colour(ChartGeometry::Ring) + "\" stroke-width=\"1.5\"/>";
        svg += "<circle cx=\"" + num(p.x) + "\" cy=\"" + num(p.y) + "\" r=\"" + num(p.radius) +
               "\" stroke=\"none\" fill=\"" + colour(p.colour) + "\"/></g>\n";
    }
    static constexpr const char* Anchors[] = {"start", "middle", "end"};
    for (const ChartGeometry::Text& t : g.texts)
        svg += "<text x=\"" + num(t.x) + "\" y=\"" + num(t.y) + "\" font-size=\"" + num(t.size) +
               "\" fill=\"" + colour(t.colour) + "\" text-anchor=\"" + Anchors[static_cast<int>(t.anchor)] +
               "\"" + (t.bold ? " font-weight=\"bold\"" : "") + " xml:space=\"preserve\">" + xmlText(t.text) +
               "</text>\n";
    svg += "</svg>\n";
    return svg;
}

} // namespace travek
