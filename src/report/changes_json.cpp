// The baseline and its changes as JSON.
#include "report/changes_json.h"

#include <utility>

namespace zelmot {
namespace {

ReportDocument ChangeJson(const Change& change) {
    ReportDocument item;
    item["kind"] = change.Kind;
    item["address"] = change.Address >= 0 ? ReportDocument(change.Address) : ReportDocument(nullptr);
    item["what"] = change.What;
    item["before"] = change.Before;
    item["after"] = change.After;
    item["worse"] = change.Worse ? ReportDocument(*change.Worse) : ReportDocument(nullptr);
    item["words"] = change.Words;
    return item;
}

}  // namespace

void AddChangesTo(ReportDocument& document, const ReportDocument& baseline, const std::vector<Change>& changes) {
    const ReportDocument& capture = baseline["capture"];
    auto value = [&](const char* key) { return capture.contains(key) ? capture[key] : ReportDocument(nullptr); };
    ReportDocument list = ReportDocument::array();
    for (const Change& change : changes) list.push_back(ChangeJson(change));
    ReportDocument ordered;
    for (auto& [key, item] : document.items()) {
        ordered[key] = std::move(item);
        if (key != "findings") continue;
        ordered["baseline"] = {{"capture", value("name")}, {"first_ns", value("first_ns")},
                               {"span_ns", value("span_ns")}, {"schema", baseline["schema"]}};
        ordered["changes"] = std::move(list);
    }
    document = std::move(ordered);
}

}  // namespace zelmot
