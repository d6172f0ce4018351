// The forecast of a rename run: every row's new name, and the rows the run will refuse
// with the reason it will give, worked out without renaming or creating anything. The
// rows are taken in the run's order, so a name that an earlier row takes or frees counts
// as taken or free for the rows after it.
#pragma once

#include <string>
#include <vector>

#include "app/RenameRun.h"

std::vector<RenameOutcome> ForecastRenames(const std::vector<RenameRowInput>& rows, const RenameOptions& options);

// One line per row: the old path, " → ", the new name, and for a refused row the reason
// in brackets.
std::string ForecastDetails(const std::vector<RenameOutcome>& forecast);
