// Writes a generated document to standard output, for the end-to-end comparison of pthost with
// xmllint in scripts/bench.sh: qp_generate ticket|capabilities FEATURES.
#include "document_generator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace qpbench;
    const std::string kind = argc == 3 ? argv[1] : "";
    const int features = argc == 3 ? std::atoi(argv[2]) : 0;
    if ((kind != "ticket" && kind != "capabilities") || features <= 0) {
        std::fprintf(stderr, "usage: %s ticket|capabilities FEATURES\n", argv[0]);
        return 2;
    }
    DocumentShape shape;
    shape.kind = kind == "ticket" ? DocumentKind::PrintTicket : DocumentKind::PrintCapabilities;
    shape.fillerFeatures = features;
    shape.placement = Placement::Middle;
    const std::string text = GenerateDocument(shape);
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}
