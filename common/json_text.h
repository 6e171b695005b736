// JSON strings from the program's 8-bit text, escaped from the UTF-16 units
// the text stands for: every unit outside printable ASCII becomes \uXXXX, so
// a lone surrogate comes out as an escape such as \ud800, nothing is lost,
// and the document is plain ASCII whatever code page reads it.
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

// Appends text as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

// A JSON object document with "exitCode": code as its last member (scripts
// that run the tool through PowerShell remoting or jobs lose the process's
// exit code). An empty document, as a failure leaves it, becomes
// {"error": error, "exitCode": code}. A warning, when there is one, comes
// before it as "warnings": [warning].
std::string WithExitCode(std::string_view document, int code, std::string_view error,
                         std::string_view warning = {});

// "true" or "false".
inline const char* JsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace pendrix
