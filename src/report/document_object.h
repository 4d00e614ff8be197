// An object of the report document made with room for its keys. The
// document keeps an object's members in order in one vector, whose elements
// hold a const key: they cannot be moved, so a vector that grows copies every
// member it holds, with everything under it, and frees the old ones. A
// builder that makes its object with room for its keys fills it without a
// copy; a key beyond the room still fits, at the cost of that copy.
#pragma once

#include <cstddef>

#include "report/report_document.h"

namespace zelmot {

// An empty object with room for `keys` members.
inline ReportDocument ObjectWithRoom(std::size_t keys) {
    ReportDocument object = ReportDocument::object();
    object.get_ref<ReportDocument::object_t&>().reserve(keys);
    return object;
}

}  // namespace zelmot
