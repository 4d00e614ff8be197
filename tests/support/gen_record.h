// The record file zelmot-gen writes with --record: a header line, then one
// line per event (time_ns,master,station,event,frame,detail), the detail
// as blank-separated key=value words.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zelmot::test {

struct GenRecordLine {
    std::int64_t Ns = 0;
    int Master = 0;
    int Station = 0;
    std::string Event;
    std::string Frame;       // the frame's bytes in lower-case hex
    std::string DetailText;  // the key=value words in the generator's order
    std::map<std::string, std::string> Detail;
};

// The lines of the record file at path; a header or line of another shape
// is a test failure.
std::vector<GenRecordLine> ReadGenRecord(const std::string& path);

}  // namespace zelmot::test
