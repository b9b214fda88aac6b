#include "printing/document.h"

namespace lichuan::printing {

bool Document::isEmpty() const {
    for (const Page& page : pages) {
        if (!page.operations.empty())
            return false;
    }
    return true;
}

std::vector<const TextOp*> Document::texts() const {
    std::vector<const TextOp*> found;
    for (const Page& page : pages) {
        for (const Operation& op : page.operations) {
            if (const auto* text = std::get_if<TextOp>(&op))
                found.push_back(text);
        }
    }
    return found;
}

std::vector<const LineOp*> Document::lines() const {
    std::vector<const LineOp*> found;
    for (const Page& page : pages) {
        for (const Operation& op : page.operations) {
            if (const auto* line = std::get_if<LineOp>(&op))
                found.push_back(line);
        }
    }
    return found;
}

} // namespace lichuan::printing
