#pragma once
// Opening a document with the viewer the system associates with it (the help PDF).
#include <string>

namespace kestrel {

enum class DocumentOpening {
    opened,
    missing,   // no such file
    noViewer,  // no program is associated with its kind of file
    failed,    // any other refusal
};

class DocumentViewerPort {
  public:
    virtual ~DocumentViewerPort() = default;
    virtual DocumentOpening openDocument(const std::string& path) = 0;
};

}  // namespace kestrel
