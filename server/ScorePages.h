// ScorePages.h -- the HTML pages of the score server: home page and world table.
#pragma once

#include "ScoreStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace scores {

// Escapes &, <, >, " and ' so stored text can never become markup.
// The text of the pages' style element.
std::string_view PageStyle();

std::string HtmlEscape(std::string_view text);

// What the game is, how to play it, and the link to the world table.
std::string HomePage(std::string_view version);

// The given rows, best first, as a complete page; an empty name shows as "Anonymous".
std::string WorldPage(const std::vector<StoredScore>& rows);

// `page` (a WorldPage) with a notice, right after its heading, that it shows the table as it
// was `ageSeconds` ago because the database does not answer.
std::string StaleWorldPage(const std::string& page, long long ageSeconds);

} // namespace scores
