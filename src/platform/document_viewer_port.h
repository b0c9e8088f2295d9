#pragma once
// Opening a document with the viewer the system associates with it (the help PDF).
#include <string>

namespace kestrel {

class DocumentViewerPort {
  public:
    virtual ~DocumentViewerPort() = default;
    // False when the document could not be opened (missing, or no viewer).
    virtual bool openDocument(const std::string& path) = 0;
};

}  // namespace kestrel
