// Ranking the candidates of a device (lower is better), marking the ones
// newer than the installed driver, and choosing at most one winner.
#pragma once

#include <string_view>

#include "matching/device_facts.h"
#include "matching/driver_candidate.h"

namespace tav {

// Ranks every candidate (declined ones too), from the last to the first; a
// candidate whose version has more parts than the installed one and whose
// description does not fit may be declined here ("VerDots").
void RankCandidates(TDriverList* candidates, const DeviceFacts& device);

// FoundByDate and FoundByVersion of every candidate.
void MarkNewerCandidates(TDriverList* candidates, const DeviceFacts& device);

// The index of the winner, or -1.
int ChooseWinner(const TDriverList& candidates);

// Helpers of the ranking, exposed for their own tests.
bool SameDotFormat(std::string_view installed, std::string_view candidate);
bool SimilarDescriptions(std::string_view d, std::string_view c);

}  // namespace tav
