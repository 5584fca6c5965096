#include "provider_conversion.h"

#include "documents.h"

#include <cstdio>
#include <utility>

using qp::ComPtr;

namespace wintest {

bool Conversion::Prepare(const std::wstring& xml) { return Prepare(LoadDocument(xml)); }

bool Conversion::Prepare(ComPtr<IXMLDOMDocument2> loaded) {
    document = std::move(loaded);
    std::string error;
    session = CoreDriverSession::Open(LoadedPlugin(), helper.holder(), error);
    if (!session) std::printf("%s\n", error.c_str());
    if (!document || !session) return false;
    pristine = DevModeBytes();
    return true;
}

std::vector<unsigned char> Conversion::DevModeBytes() const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(DevMode().DevMode());
    return std::vector<unsigned char>(bytes, bytes + DevMode().Size());
}

}  // namespace wintest
