// The two forms of pendrix-cli holders: lines for a person, and one JSON
// document for a script.
#pragma once

#include <string>

#include "common/json_writer.h"
#include "platform/holder_report.h"

namespace pendrix::cli {

// Lines ended by CR LF for holders PATH: a heading, then one line per
// process ("1234 viewer.exe "C:\Viewer\viewer.exe" (open file)"), or
// ""PATH": nobody holds it."; then a warning for every process that could
// not be examined and every handle that did not answer.
std::string FormatHoldersText(const std::string& path, const HolderReport& report);

// The members of the JSON document, plain ASCII:
// {"path": "...", "holders": [{"processId": 1234, "imageName": "...",
//   "imagePath": "..." or null, "openFile": true, "loadedModule": false,
//   "restartManager": false, "applicationName": "..." or null,
//   "services": ["..."]}, ...], "notExamined": 0, "handlesNotAnswering": 0,
//  "modulesByLoadedName": false, "handlesOfEachProcess": 4096 or null}
void WriteHoldersJson(JsonObject& out, const std::string& path, const HolderReport& report);

}  // namespace pendrix::cli
