#pragma once
// A document viewer that knows a fixed set of documents and records what it was asked.
#include <set>
#include <string>
#include <vector>

#include "platform/document_viewer_port.h"

namespace kestrel {

class FakeDocumentViewer : public DocumentViewerPort {
  public:
    std::set<std::string> existing;
    std::vector<std::string> asked;

    bool openDocument(const std::string& path) override {
        asked.push_back(path);
        return existing.count(path) != 0;
    }
};

}  // namespace kestrel
