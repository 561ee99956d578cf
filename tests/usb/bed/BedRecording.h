#ifndef TESTS_USB_BED_BEDRECORDING_H
#define TESTS_USB_BED_BEDRECORDING_H

// A recorded session: its entries as the desktop's transport read and wrote them, and the facts
// of the device behind it, taken from its own answers.
#include "HandheldSimulator.h"

#include <string>
#include <utility>
#include <vector>

namespace bed {

// (from the handheld, bytes) in order. @exception std::runtime_error for a file that is not one.
std::vector<std::pair<bool, std::string>> loadRecording(const std::string& path);

// The user, the system and the databases (with the records and app blocks that were read) of the
// recorded device, so that the simulator can answer as it did.
sim::Facts factsFromRecording(const std::vector<std::pair<bool, std::string>>& entries);

} // namespace bed

#endif
