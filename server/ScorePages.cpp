// ScorePages.cpp -- HTML of the home page and the world high-score table.
#include "ScorePages.h"

#include <ctime>

namespace scores {

namespace {

constexpr const char* kPageHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
// The whole style sheet; its digest is what the pages' content security policy allows. On a
// phone the table must fit without sideways scrolling: narrower gaps, names and countries break
// anywhere if they must, numbers never, dates only between day and time.
constexpr std::string_view kStyleSheet =
    "\n"
    "body{font-family:Georgia,serif;max-width:46em;margin:2em auto;padding:0 1em;"
    "background:#1b1410;color:#f3e6cf}\n"
    "a{color:#ffb347}\nh1{color:#ff7a2f}\n"
    "table{border-collapse:collapse;width:100%}\n"
    "th,td{padding:.25em .6em;text-align:left;border-bottom:1px solid #4a3a2c}\n"
    "td{overflow-wrap:anywhere}\n"
    "td.n{text-align:right;white-space:nowrap}\ntd.d{overflow-wrap:normal}\n"
    "td.d span{white-space:nowrap}\n"
    "@media (max-width:40em){body{margin:1em auto;padding:0 .5em}th,td{padding:.25em .3em}}\n";
constexpr const char* kPageEnd = "</body>\n</html>\n";

void AppendStyle(std::string& page) {
    page += "</title>\n<style>";
    page += kStyleSheet;
    page += "</style>\n</head>\n<body>\n";
}

// Day and time each kept whole: a narrow table may put the time under the day, never break
// inside either.
std::string FormatUtc(std::int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (!gmtime_r(&t, &tm)) return "";
    char buf[64];
    std::size_t n = std::strftime(buf, sizeof buf, "<span>%Y-%m-%d</span> <span>%H:%M</span>", &tm);
    return std::string(buf, n);
}

} // namespace

std::string_view PageStyle() {
    return kStyleSheet;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
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
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string HomePage(std::string_view version) {
    std::string page = kPageHead;
    page += "Skyvern";
    AppendStyle(page);
    page += "<h1>Skyvern</h1>\n"
            "<p>Skyvern is a side-scrolling arcade shooter. You fly a dragon from left to right "
            "over a landscape of mountains, volcanoes and forests that turns from day to night, "
            "shoot the enemies out of the sky and off the ground, and dodge their arrows and "
            "burning stones.</p>\n"
            "<h2>How to play</h2>\n<ul>\n"
            "<li>Steer the dragon with the arrow keys, the mouse or a joystick.</li>\n"
            "<li>Fire with Ctrl or the first joystick button.</li>\n"
            "<li>Catch bonuses: a fireball, ice or flash pistol for a while, a shield, an extra "
            "life, extra points, or a blast that clears the screen.</li>\n"
            "<li>Each level lasts until its clock runs out; the next one is longer and busier. "
            "The game ends when your last life is lost.</li>\n"
            "<li>P pauses, Esc asks whether to quit, and the boss key hides the game at "
            "once.</li>\n</ul>\n"
            "<h2>World high scores</h2>\n"
            "<p>A score that enters your own top ten can be sent from the game to the "
            "<a href=\"cgi/version.pl?prg=Skyvern&amp;show&amp;type=0\">world high-score "
            "table</a>.</p>\n"
            "<p><small>skyvern-scores ";
    page += HtmlEscape(version);
    page += "</small></p>\n";
    page += kPageEnd;
    return page;
}

std::string WorldPage(const std::vector<StoredScore>& rows) {
    std::string page = kPageHead;
    page += "Skyvern world high scores";
    AppendStyle(page);
    page += "<h1>Skyvern world high scores</h1>\n";
    if (rows.empty()) {
        page += "<p>No scores yet.</p>\n";
    } else {
        page += "<table>\n<tr><th>#</th><th>Name</th><th>Score</th><th>Country</th>"
                "<th>Date (UTC)</th></tr>\n";
        int place = 0;
        for (const StoredScore& row : rows) {
            page += "<tr><td class=\"n\">" + std::to_string(++place) + "</td><td>";
            page += row.name.empty() ? std::string("Anonymous") : HtmlEscape(row.name);
            page += "</td><td class=\"n\">" + std::to_string(row.score) + "</td><td>";
            page += HtmlEscape(row.country);
            page += "</td><td class=\"d\">" + FormatUtc(row.time) + "</td></tr>\n";
        }
        page += "</table>\n";
    }
    page += "<p><a href=\"../\">Skyvern home</a></p>\n";
    page += kPageEnd;
    return page;
}

std::string StaleWorldPage(const std::string& page, long long ageSeconds) {
    const std::string notice = "<p class=\"stale\"><strong>The score database is not answering:"
                               " this table is as it was " +
                               std::to_string(ageSeconds) + " seconds ago.</strong></p>\n";
    std::size_t heading = page.find("</h1>");
    std::size_t at = heading == std::string::npos ? page.find("<body>") : heading;
    if (at == std::string::npos) return notice + page;
    at = page.find('>', at) + 1;
    if (page.compare(at, 1, "\n") == 0) ++at;
    return page.substr(0, at) + notice + page.substr(at);
}

} // namespace scores
