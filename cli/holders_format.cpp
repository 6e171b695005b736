#include "cli/holders_format.h"

#include "common/name_folding.h"
#include "common/quoted.h"

namespace pendrix::cli {
namespace {

std::string Count(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "(open file, loaded module; service Spooler; application "Print Spooler")"
std::string HowItHolds(const Holder& holder) {
    std::vector<std::string> ways;
    if (holder.openHandle) ways.emplace_back("open file");
    if (holder.loadedModule) ways.emplace_back("loaded module");
    if (ways.empty()) ways.emplace_back("named by the Restart Manager");
    std::string text = "(";
    for (std::size_t i = 0; i < ways.size(); ++i) text += (i > 0 ? ", " : "") + ways[i];
    if (!holder.services.empty()) {
        text += holder.services.size() == 1 ? "; service " : "; services ";
        for (std::size_t i = 0; i < holder.services.size(); ++i) text += (i > 0 ? ", " : "") + holder.services[i];
    }
    if (!holder.applicationName.empty() && FoldName(holder.applicationName) != FoldName(holder.imageName))
        text += "; application " + Quoted(holder.applicationName);
    return text + ")";
}

}  // namespace

std::string FormatHoldersText(const std::string& path, const HolderReport& report) {
    std::string out;
    if (report.holders.empty()) {
        out = Quoted(path) + ": nobody holds it.\r\n";
    } else {
        out = Quoted(path) + " is held by:\r\n";
        for (const Holder& holder : report.holders) {
            out.append(std::to_string(holder.processId)).append(" ").append(ImageName(holder));
            if (!holder.imagePath.empty()) out.append(" ").append(Quoted(holder.imagePath));
            out.append(" ").append(HowItHolds(holder)).append("\r\n");
        }
    }
    if (report.notExamined > 0) {
        const bool one = report.notExamined == 1;
        out += "Warning: " + Count(report.notExamined, "process", "processes") + " could not be examined: " +
               (report.elevated ? (one ? "Windows protects it" : "Windows protects them") : "run elevated") +
               ".\r\n";
    }
    if (report.handlesNotAnswering > 0)
        out += "Warning: " + Count(report.handlesNotAnswering, "open file", "open files") +
               " of other processes did not answer in time and could not be examined.\r\n";
    if (report.modulesByLoadedName)
        out += "Note: this system names loaded modules only by the name each was loaded under: a program that "
               "loaded this file under another name (before a rename) is not found, and one that loaded an older "
               "file of this name may be named.\r\n";
    if (report.handleSearch == HandleSearch::EachProcess)
        out += "Note: this system (Wine) cannot list the open handles of all processes safely, so open files were "
               "looked for among the first " +
               std::to_string(kProbedHandles) +
               " handles of each process: a program that holds the file behind a longer gap of closed handles is "
               "not found.\r\n";
    return out;
}

void WriteHoldersJson(JsonObject& out, const std::string& path, const HolderReport& report) {
    out.String("path", path);
    {
        JsonArray holders = out.Array("holders", JsonItems::Lines);
        for (const Holder& holder : report.holders) {
            JsonObject described = holders.Object();
            described.Number("processId", holder.processId);
            described.StringOrNull("imageName", holder.imageName);
            described.StringOrNull("imagePath", holder.imagePath);
            described.Bool("openFile", holder.openHandle);
            described.Bool("loadedModule", holder.loadedModule);
            described.Bool("restartManager", holder.restartManager);
            described.StringOrNull("applicationName", holder.applicationName);
            JsonArray services = described.Array("services");
            for (const std::string& service : holder.services) services.String(service);
        }
    }
    out.Number("notExamined", report.notExamined);
    out.Number("handlesNotAnswering", report.handlesNotAnswering);
    out.Bool("modulesByLoadedName", report.modulesByLoadedName);
    if (report.handleSearch != HandleSearch::EachProcess)
        out.Null("handlesOfEachProcess");
    else
        out.Number("handlesOfEachProcess", kProbedHandles);
}

}  // namespace pendrix::cli
