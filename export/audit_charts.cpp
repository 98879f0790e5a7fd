#include "audit_charts.h"

#include "audit_page_parts.h"
#include "page_text.h"
#include "utf8.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace vortaxel::audit {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 220;
constexpr int kLeft = 44;
constexpr int kBottom = 36;
constexpr int kTop = 24;
constexpr int kPlotHeight = kHeight - kBottom - kTop;
constexpr int kPlotWidth = kWidth - kLeft - 8;

using Bars = std::vector<std::pair<std::string, std::uint64_t>>;

/// A chart's element id and the words a screen reader says for it.
struct ChartName {
    std::string_view id;
    std::string_view label;
};

void OpenSvgTag(std::string& out, const ChartName& name, int height) {
    out += "<svg id=\"";
    out += name.id;
    out += "\" class=\"chart\" role=\"img\" viewBox=\"0 0 " + std::to_string(kWidth) + ' ' + std::to_string(height) +
           "\" width=\"" + std::to_string(kWidth) + "\" height=\"" + std::to_string(height) +
           "\" xmlns=\"http://www.w3.org/2000/svg\" aria-label=\"";
    AppendHtmlText(out, name.label);
    out += "\">";
}

void OpenSvg(std::string& out, const ChartName& name) {
    OpenSvgTag(out, name, kHeight);
    out += "<line class=\"axis\" x1=\"" + std::to_string(kLeft) + "\" y1=\"" + std::to_string(kTop + kPlotHeight) +
           "\" x2=\"" + std::to_string(kWidth - 4) + "\" y2=\"" + std::to_string(kTop + kPlotHeight) + "\"/>";
}

enum class Anchor { Start, Middle, End };

void Text(std::string& out, int x, int y, Anchor anchor, std::string_view text) {
    out += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" text-anchor=\"";
    out += anchor == Anchor::Start ? "start" : anchor == Anchor::Middle ? "middle" : "end";
    out += "\">";
    AppendHtmlText(out, text);
    out += "</text>";
}

std::string BarChart(const ChartName& name, const Bars& bars) {
    std::string out;
    OpenSvg(out, name);
    std::uint64_t most = 1;
    for (const auto& bar : bars) {
        most = std::max(most, bar.second);
    }
    Text(out, kLeft - 4, kTop + 4, Anchor::End, std::to_string(most));
    Text(out, kLeft - 4, kTop + kPlotHeight, Anchor::End, "0");
    const int count = static_cast<int>(std::max<std::size_t>(bars.size(), 1));
    const int slot = kPlotWidth / count;
    const int barWidth = std::max(2, slot * 7 / 10);
    int x = kLeft + (slot - barWidth) / 2;
    for (const auto& [name, value] : bars) {
        const int height = static_cast<int>(value * static_cast<std::uint64_t>(kPlotHeight) / most);
        const int y = kTop + kPlotHeight - height;
        out += "<rect class=\"bar\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(barWidth) + "\" height=\"" + std::to_string(height) + "\"><title>";
        AppendHtmlText(out, name + ": " + std::to_string(value));
        out += "</title></rect>";
        Text(out, x + barWidth / 2, y - 4, Anchor::Middle, std::to_string(value));
        Text(out, x + barWidth / 2, kTop + kPlotHeight + 16, Anchor::Middle, name);
        x += slot;
    }
    out += "</svg>";
    return out;
}

/// A label cut to a chart's room, at a character's edge, with an ellipsis when something was cut.
std::string ChartLabel(std::string_view text, std::size_t mostCharacters) {
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size() && characters < mostCharacters; ++characters) {
        at += std::max<std::size_t>(1, keywords::Utf8SequenceLength(text, at));
    }
    return at >= text.size() ? std::string(text) : std::string(text.substr(0, at)) + "\u2026";
}

} // namespace

std::string StatusChartSvg(const AuditData& data) {
    std::map<int, std::uint64_t> byCode;
    for (const AuditPage& page : data.pages) {
        ++byCode[page.status.value_or(0)];
    }
    // A site may answer with many odd codes; the chart keeps the most common ones legible.
    constexpr std::size_t kMostBars = 16;
    Bars bars;
    for (const auto& [code, count] : byCode) {
        bars.emplace_back(code == 0 ? "none" : std::to_string(code), count);
    }
    if (bars.size() > kMostBars) {
        std::stable_sort(bars.begin(), bars.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        std::uint64_t rest = 0;
        for (std::size_t i = kMostBars - 1; i < bars.size(); ++i) {
            rest += bars[i].second;
        }
        bars.resize(kMostBars - 1);
        bars.emplace_back("other", rest);
    }
    return BarChart({"chart-status", "Pages by status code"}, bars);
}

std::string DepthChartSvg(const AuditData& data) {
    constexpr int kDeepest = 15;
    std::vector<std::uint64_t> byDepth;
    std::uint64_t none = 0;
    for (const AuditPage& page : data.pages) {
        if (page.depth < 0) {
            ++none; // no click leads there: a sitemap's page, or an address that is no page
            continue;
        }
        const auto depth = static_cast<std::size_t>(std::clamp(page.depth, 0, kDeepest));
        if (byDepth.size() <= depth) {
            byDepth.resize(depth + 1);
        }
        ++byDepth[depth];
    }
    Bars bars;
    for (std::size_t depth = 0; depth < byDepth.size(); ++depth) {
        bars.emplace_back(std::to_string(depth) + (depth == kDeepest ? "+" : ""), byDepth[depth]);
    }
    if (none != 0) {
        bars.emplace_back("none", none);
    }
    return BarChart({"chart-depth", "Pages by depth"}, bars);
}

std::string ResponseTimeChartSvg(const AuditData& data) {
    static constexpr std::array<std::uint64_t, 6> kUpper = {100, 250, 500, 1000, 2000, 5000};
    static constexpr std::array<std::string_view, 7> kNames = {"<100ms", "<250ms", "<500ms", "<1s",
                                                               "<2s",    "<5s",    "5s+"};
    std::array<std::uint64_t, 7> counts{};
    for (const AuditPage& page : data.pages) {
        const auto bucket = std::upper_bound(kUpper.begin(), kUpper.end(), page.elapsedMs) - kUpper.begin();
        ++counts.at(static_cast<std::size_t>(bucket));
    }
    Bars bars;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        bars.emplace_back(std::string(kNames.at(i)), counts.at(i));
    }
    return BarChart({"chart-time", "Pages by response time"}, bars);
}

std::string FoundOverTimeChartSvg(const AuditData& data) {
    std::vector<std::uint64_t> times;
    times.reserve(data.pages.size());
    for (const AuditPage& page : data.pages) {
        times.push_back(page.foundMs);
    }
    std::sort(times.begin(), times.end());
    const std::uint64_t total = times.size();
    const std::uint64_t last = times.empty() ? 0 : std::max<std::uint64_t>(times.back(), 1);

    std::string out;
    OpenSvg(out, {"chart-found", "Pages found over time"});
    Text(out, kLeft - 4, kTop + 4, Anchor::End, std::to_string(total));
    Text(out, kLeft - 4, kTop + kPlotHeight, Anchor::End, "0");
    Text(out, kLeft, kTop + kPlotHeight + 16, Anchor::Start, "0 s");
    Text(out, kLeft + kPlotWidth, kTop + kPlotHeight + 16, Anchor::End, std::to_string((last + 500) / 1000) + " s");
    // At most a few hundred points: enough for the shape, and a page of 100,000 rows keeps a small path.
    constexpr std::uint64_t kPoints = 240;
    out += "<polyline class=\"line\" points=\"" + std::to_string(kLeft) + ',' + std::to_string(kTop + kPlotHeight);
    for (std::uint64_t step = 1; step <= kPoints && total > 0; ++step) {
        const std::uint64_t index = std::min(total, (step * total + kPoints - 1) / kPoints) - 1;
        const std::uint64_t x = kLeft + times[index] * kPlotWidth / last;
        const std::uint64_t y = kTop + kPlotHeight - (index + 1) * kPlotHeight / total;
        out += ' ' + std::to_string(x) + ',' + std::to_string(y);
    }
    out += "\"><title>";
    out += std::to_string(total) + " pages";
    out += "</title></polyline></svg>";
    return out;
}

std::string KeywordChartSvg(std::span<const keyphrase::SitePhrase> phrases) {
    constexpr int kLabelRight = 196;
    constexpr int kBarLeft = 200;
    constexpr int kRow = 16;
    constexpr int kMostBar = kWidth - kBarLeft - 48;
    constexpr std::size_t kLabelCharacters = 32;
    const int height = 2 * 8 + kRow * static_cast<int>(std::max<std::size_t>(phrases.size(), 1));
    std::string out;
    OpenSvgTag(out, {"chart-keywords", "Key phrases by site score"}, height);
    out += "<line class=\"axis\" x1=\"" + std::to_string(kBarLeft) + "\" y1=\"4\" x2=\"" + std::to_string(kBarLeft) +
           "\" y2=\"" + std::to_string(height - 4) + "\"/>";
    double most = 0;
    for (const keyphrase::SitePhrase& phrase : phrases) {
        if (std::isfinite(phrase.score)) {
            most = std::max(most, phrase.score);
        }
    }
    int y = 8;
    for (const keyphrase::SitePhrase& phrase : phrases) {
        const double share = most > 0 && std::isfinite(phrase.score) ? std::max(0.0, phrase.score / most) : 0;
        const int width = static_cast<int>(share * kMostBar);
        const std::string score = ScoreText(phrase.score);
        out += "<rect class=\"bar\" x=\"" + std::to_string(kBarLeft) + "\" y=\"" + std::to_string(y + 2) +
               "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(kRow - 4) + "\"><title>";
        AppendHtmlText(out, phrase.phrase + ": " + score);
        out += "</title></rect>";
        Text(out, kLabelRight, y + kRow - 4, Anchor::End, ChartLabel(phrase.phrase, kLabelCharacters));
        Text(out, kBarLeft + width + 4, y + kRow - 4, Anchor::Start, score);
        y += kRow;
    }
    out += "</svg>";
    return out;
}

} // namespace vortaxel::audit
